# Windows GUI executable with icon, administrator manifest and a windeployqt install step.
# netsh refuses address changes without elevation, so the manifest asks for it.
if(WIN32)
    set_target_properties(zephyl-wifi-setup PROPERTIES WIN32_EXECUTABLE ON)
    target_sources(zephyl-wifi-setup PRIVATE ${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.rc)
    if(MSVC)
        target_link_options(zephyl-wifi-setup PRIVATE /MANIFEST:EMBED
            /MANIFESTINPUT:${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.manifest
            /MANIFESTUAC:NO)
    elseif(MINGW)
        # MinGW: the manifest goes in through the resource compiler.
        file(WRITE ${CMAKE_BINARY_DIR}/zephyl_manifest.rc
             "1 24 \"${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.manifest\"\n")
        target_sources(zephyl-wifi-setup PRIVATE ${CMAKE_BINARY_DIR}/zephyl_manifest.rc)
    endif()
    install(TARGETS zephyl-wifi-setup RUNTIME DESTINATION .)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.ico
                  ${CMAKE_SOURCE_DIR}/packaging/zephyl.png DESTINATION .)
    find_program(WINDEPLOYQT_EXECUTABLE windeployqt HINTS ${Qt6_DIR}/../../../bin)
    if(WINDEPLOYQT_EXECUTABLE)
        install(CODE "execute_process(COMMAND \"${WINDEPLOYQT_EXECUTABLE}\" --release --no-translations
            \"\${CMAKE_INSTALL_PREFIX}/zephyl-wifi-setup.exe\" COMMAND_ERROR_IS_FATAL ANY)")
    endif()
endif()

# The logo and icon sit beside the program, where the window looks for them.
add_custom_command(TARGET zephyl-wifi-setup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/packaging/zephyl.png
            ${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.ico $<TARGET_FILE_DIR:zephyl-wifi-setup>)
