#!/usr/bin/env python3
"""Medians of the peer benchmark's RESULT lines, and this client's ratios to inadyn's.

    summarise.py RESULTS.txt [MORE.txt ...]
"""
import statistics
import sys


def rows(paths):
    for path in paths:
        for line in open(path):
            if line.startswith("RESULT "):
                yield dict(kv.split("=", 1) for kv in line.split()[1:])


def num(text):
    try:
        return float(text)
    except ValueError:
        return float("nan")


def main(paths):
    once, idle = {}, {}
    for r in rows(paths):
        if r["mode"] == "once":
            once.setdefault((r["client"], int(r["n"])), []).append(r)
        elif r["mode"] == "idle":
            idle[(r["client"], int(r["n"]))] = r

    def med(client, n, field):
        group = once.get((client, n), [])
        return statistics.median(num(r[field]) for r in group) if group else float("nan")

    print("| client | N | runs | wall ms | CPU ms | max RSS KiB | requests | exit codes |")
    print("|---|---:|---:|---:|---:|---:|---:|---|")
    for (client, n), group in sorted(once.items(), key=lambda kv: (kv[0][1], kv[0][0])):
        print("| %s | %d | %d | %.1f | %.1f | %d | %s | %s |" % (
            client, n, len(group), med(client, n, "wall_ms"), med(client, n, "cpu_ms"),
            med(client, n, "maxrss_kb"), "/".join(sorted({r["requests"] for r in group})),
            "/".join(sorted({r["rc"] for r in group}))))
    if idle:
        print("\n| client | N | VmRSS KiB | idle CPU ms | idle wake-ups | requests | alive |")
        print("|---|---:|---:|---:|---:|---:|---|")
        for (client, n), r in sorted(idle.items(), key=lambda kv: (kv[0][1], kv[0][0])):
            print("| %s | %d | %s | %s | %s | %s | %s |" % (
                client, n, r["rss_kb"], r["idle_cpu_ms"], r["idle_wakeups"], r["requests"], r["alive"]))

    # Net of the harness itself (the null row: the measuring wrapper and /usr/bin/time around /bin/true).
    def net(client, n, field):
        return med(client, n, field) - med("null", 0, field)

    peer = "inadyn(premium)"
    ours = sorted({c for c, _ in once if not c.startswith(("inadyn", "ddclient", "null"))})
    print("\nRatios to %s, one-shot, net of the null row (targets: N = 1 <= 0.6, N = 100 <= 0.33):" % peer)
    if ("floor", 1) in once:
        print("  (floor: bench/peer/floor-client.c, which sends each request and reads its whole answer, and nothing else)")
    for client in ours:
        print("  %-16s" % client + "".join(
            "  N=%-3d wall %.2f CPU %.2f" % (n, net(client, n, "wall_ms") / net(peer, n, "wall_ms"),
                                             net(client, n, "cpu_ms") / net(peer, n, "cpu_ms")) for n in (1, 100)))
    # Per domain: this client's N = 999 pass less its N = 1, against inadyn's N = 100 less its N = 1.
    peer_per_domain = (med(peer, 100, "cpu_ms") - med(peer, 1, "cpu_ms")) / 99
    print("\nCPU per domain (target <= 0.2 of %s's, %.3f ms):" % (peer, peer_per_domain))
    for client in ours:
        per_domain = (med(client, 999, "cpu_ms") - med(client, 1, "cpu_ms")) / 998
        print("  %-16s %.3f ms, ratio %.2f" % (client, per_domain, per_domain / peer_per_domain))
    print("\nRatios to inadyn, idle daemon (target <= 1):")
    for (client, n), r in sorted(idle.items()):
        peer = idle.get(("inadyn", n))
        if client == "inadyn" or peer is None:
            continue
        ratio = lambda f: num(r[f]) / num(peer[f]) if num(peer[f]) else float("inf")
        print("  %-16s N=%-4d RSS %.2f  idle CPU %.2f  wake-ups %.2f" % (
            client, n, ratio("rss_kb"), ratio("idle_cpu_ms"), ratio("idle_wakeups")))


if __name__ == "__main__":
    main(sys.argv[1:])
