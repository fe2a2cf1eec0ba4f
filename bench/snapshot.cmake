# A whole --snapshot days ahead, as the program runs it.
aerolune_add_benchmark(SnapshotBench LIBS aerolune_app)
