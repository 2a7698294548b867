# Finds JUCE, in this order:
#   1. a local checkout named with -DCARVOLIN_JUCE_PATH=/path/to/JUCE;
#   2. an installed JUCE (e.g. Debian's juce-modules-source 7.0.5);
#   3. JUCE 8.0.12 fetched from its public repository (needs internet).

set(CARVOLIN_JUCE_PATH "" CACHE PATH "Path to a local JUCE checkout to build against")
set(CARVOLIN_JUCE_FETCH_TAG "8.0.12" CACHE STRING "JUCE tag to fetch when none is installed")

if(CARVOLIN_JUCE_PATH)
    message(STATUS "Carvolin: using the JUCE checkout in ${CARVOLIN_JUCE_PATH}")
    add_subdirectory("${CARVOLIN_JUCE_PATH}" "${CMAKE_BINARY_DIR}/JUCE" EXCLUDE_FROM_ALL)
    get_directory_property(JUCE_VERSION DIRECTORY "${CARVOLIN_JUCE_PATH}" DEFINITION JUCE_VERSION)
else()
    find_package(JUCE CONFIG QUIET)

    if(JUCE_FOUND)
        message(STATUS "Carvolin: using the installed JUCE ${JUCE_VERSION} (${JUCE_DIR})")
    else()
        message(STATUS "Carvolin: no JUCE installed, fetching JUCE ${CARVOLIN_JUCE_FETCH_TAG}")
        include(FetchContent)
        FetchContent_Declare(JUCE
            GIT_REPOSITORY https://github.com/juce-framework/JUCE.git
            GIT_TAG "${CARVOLIN_JUCE_FETCH_TAG}"
            GIT_SHALLOW TRUE
            GIT_PROGRESS TRUE)
        FetchContent_MakeAvailable(JUCE)
        set(JUCE_VERSION "${CARVOLIN_JUCE_FETCH_TAG}")
    endif()
endif()
