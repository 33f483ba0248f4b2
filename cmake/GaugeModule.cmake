# add_gauge_module(NAME SOURCES files... RESOURCES script.rc [SOUND])
# Builds one gauge module from the shared frame and the given sources:
#  - Windows: dist/NAME.gau, a DLL with its own entry point and no C runtime, exporting only
#    Linkage and ImportTable, resources compiled from the script, loadable by Windows 98;
#  - native: NAME.so beside the panel host, exporting only the same two records, its
#    resources embedded from the same script, using the platform stand-ins.
function(add_gauge_module name)
    cmake_parse_arguments(G "SOUND" "RESOURCES" "SOURCES" ${ARGN})
    set(sources ${PROJECT_SOURCE_DIR}/frame/frame.cpp ${PROJECT_SOURCE_DIR}/frame/text.cpp ${G_SOURCES})
    if(WIN32)
        list(APPEND sources ${PROJECT_SOURCE_DIR}/frame/crt.cpp)
        set_source_files_properties(${PROJECT_SOURCE_DIR}/frame/crt.cpp PROPERTIES COMPILE_OPTIONS -fno-builtin)
    endif()
    if(G_SOUND)
        list(APPEND sources ${SOUND_SOURCES})
    endif()
    set(script ${PROJECT_SOURCE_DIR}/${G_RESOURCES})
    if(WIN32)
        add_library(${name} SHARED ${sources} ${script} ${PROJECT_SOURCE_DIR}/cmake/module.def)
        set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".gau"
            RUNTIME_OUTPUT_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
        target_compile_options(${name} PRIVATE ${MODULE_CPU_FLAGS} -fno-exceptions -fno-rtti
            -fno-threadsafe-statics -fno-asynchronous-unwind-tables -fno-tree-loop-distribute-patterns
            -fno-stack-protector)
        target_link_options(${name} PRIVATE -nostdlib -static-libgcc -Wl,-e,_moduleEntry@12
            -Wl,--major-os-version,4 -Wl,--minor-os-version,0
            -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
            -Wl,--disable-dynamicbase -Wl,--disable-nxcompat -s)
        target_link_libraries(${name} PRIVATE kernel32 user32)
        if(G_SOUND)
            target_link_libraries(${name} PRIVATE dsound_ordinal)
        endif()
        target_link_libraries(${name} PRIVATE gcc)
    else()
        set(generated ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.cpp)
        file(READ ${script} scriptText)
        string(REGEX MATCHALL "\"resources/[^\"]+\"" files "${scriptText}")
        set(inputs)
        foreach(f ${files})
            string(REPLACE "\"" "" f ${f})
            list(APPEND inputs ${PROJECT_SOURCE_DIR}/${f})
        endforeach()
        add_custom_command(OUTPUT ${generated}
            COMMAND rcembed ${script} ${PROJECT_SOURCE_DIR} ${generated}
            DEPENDS rcembed ${script} ${inputs}
            COMMENT "Embedding resources of ${name}")
        add_library(${name} MODULE ${sources} ${generated} ${PROJECT_SOURCE_DIR}/platform/native/module_entry.cpp)
        set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so"
            LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
            CXX_VISIBILITY_PRESET hidden BUILD_RPATH "$ORIGIN")
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform/native)
        target_link_options(${name} PRIVATE -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map
            -Wl,-e,platformModuleEntry -Wl,--no-undefined)
        target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti)
        target_link_libraries(${name} PRIVATE p9vplatform)
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    set_property(GLOBAL APPEND PROPERTY GAUGE_MODULES ${name})
endfunction()
