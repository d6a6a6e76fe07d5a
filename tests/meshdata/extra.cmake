# The mesh tests call the generator's mesh writer directly.
target_link_libraries(${TEST_TARGET} PRIVATE makedata)
