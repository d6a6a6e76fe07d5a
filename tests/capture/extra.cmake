pkg_check_modules(TEST_CAPTURE_PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::TEST_CAPTURE_PNG)
add_dependencies(${TEST_TARGET} capture)
target_compile_definitions(${TEST_TARGET} PRIVATE CAPTURE_BINARY="$<TARGET_FILE:capture>")
