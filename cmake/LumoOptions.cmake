# Compiler settings shared by every target of the project.

option(LUMO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LUMO_TSAN "Build with ThreadSanitizer (the library, document and platform tests only)" OFF)
option(LUMO_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(LUMO_WITH_QT "Build the layers that use Qt (metafile player, framework, views, viewer)" ON)
option(LUMO_BENCH "Build the benchmarks" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_compile_options(-Wall -Wextra -Werror)
# The version the programs report is the project's.
add_compile_definitions(LUMO_VERSION="${PROJECT_VERSION}")

if(LUMO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(LUMO_TSAN)
    if(LUMO_SANITIZE OR LUMO_FUZZ)
        message(FATAL_ERROR "LUMO_TSAN cannot be combined with LUMO_SANITIZE or LUMO_FUZZ")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

if(LUMO_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Every target finds headers from the top of the tree: #include "picture/bitmap/PictureBitmap.h".
include_directories(${PROJECT_SOURCE_DIR})
