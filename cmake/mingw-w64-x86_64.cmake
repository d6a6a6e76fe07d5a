# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (GCC with POSIX threads, so that
# std::thread and std::mutex work). scripts/build-windows.sh passes this file and the
# prefixes of the libraries it built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SHOW_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SHOW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SHOW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SHOW_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${SHOW_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${SHOW_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_STRIP ${SHOW_MINGW_TRIPLET}-strip CACHE FILEPATH "")

# Headers and libraries come from the mingw sysroot and the library prefixes given as
# SHOW_WINDOWS_PREFIXES; programs (pkg-config, the host's tools) from the host.
set(SHOW_WINDOWS_PREFIXES "" CACHE STRING "Prefixes of the cross-built libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SHOW_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${SHOW_MINGW_TRIPLET} ${SHOW_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only libraries come from the host's packages (GLM: Debian's libglm-dev, the same
# headers for every architecture). SHOW_WINDOWS_HOST_HEADERS is a folder of the build that
# holds a link to each one's folder, e.g. glm -> /usr/include/glm, so that the rest of the
# host's /usr/include, made for Linux, stays out of the Windows build.
set(SHOW_WINDOWS_HOST_HEADERS "" CACHE PATH "Folder of links to the host's header-only libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SHOW_WINDOWS_HOST_HEADERS)
if(SHOW_WINDOWS_HOST_HEADERS)
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${SHOW_WINDOWS_HOST_HEADERS})
endif()

# Static libraries only: the program is to need no DLL beyond those of Windows itself.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# The host's pkg-config sees only the prefixes' .pc files, never those of /usr/lib.
set(pkg_config_dirs "")
foreach(prefix ${SHOW_WINDOWS_PREFIXES})
  list(APPEND pkg_config_dirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" pkg_config_dirs "${pkg_config_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${pkg_config_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
