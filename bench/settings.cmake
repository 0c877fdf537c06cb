# Benchmarks of the settings store.
