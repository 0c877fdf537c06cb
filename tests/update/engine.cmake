# Tests of the engine: filters, detection, decision, the update thread.
