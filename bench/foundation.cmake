# Building a Solar, and one whole forecast from the stored location.
aerolune_add_benchmark(FoundationBench LIBS aerolune_schedule aerolune_store aerolune_astronomy
    aerolune_platform_core)
