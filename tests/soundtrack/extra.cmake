# The soundtrack tests drive the generator's synthesiser and encoder path directly.
target_link_libraries(${TEST_TARGET} PRIVATE makedata)
