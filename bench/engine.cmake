# Benchmarks of the update engine.
