# The regression tests replay inputs through the same property checks as the fuzz targets.
target_sources(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/fuzz_checks.cpp)
