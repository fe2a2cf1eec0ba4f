# Offline geocoding: loading the gazetteer (budget 150 ms) and answering one
# query (budget 5 ms); and drawing the settings window's map.
aerolune_add_benchmark(GeocodeBench LIBS aerolune_map)
