# The mesh tests call the generator's mesh writer directly: compile its sources in.
file(GLOB MESHDATA_GENERATOR_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tools/make-data/meshes*.cpp ${CMAKE_SOURCE_DIR}/tools/make-data/mesh_*.cpp)
target_sources(${TEST_TARGET} PRIVATE ${MESHDATA_GENERATOR_SOURCES})
target_include_directories(${TEST_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/tools/make-data)
