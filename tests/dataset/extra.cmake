# The data-set tests run the generator itself: build it first and tell them where it is.
add_dependencies(${TEST_TARGET} make-data)
target_compile_definitions(${TEST_TARGET} PRIVATE MAKE_DATA_PATH="$<TARGET_FILE:make-data>")
