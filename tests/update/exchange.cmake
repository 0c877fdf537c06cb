# Tests of the exchange: fetch, answers, endpoints, dial-up guard, UpdateDomain.
