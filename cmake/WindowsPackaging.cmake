# Windows GUI executable with icon, administrator manifest and a windeployqt install step.
# netsh refuses address changes without elevation, so the manifest asks for it.
if(WIN32)
    set_target_properties(zephyl-wifi-setup PROPERTIES WIN32_EXECUTABLE ON)
    target_sources(zephyl-wifi-setup PRIVATE ${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.rc)
    if(MSVC)
        target_link_options(zephyl-wifi-setup PRIVATE /MANIFEST:EMBED
            /MANIFESTINPUT:${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.manifest
            /MANIFESTUAC:NO)
    endif()
    install(TARGETS zephyl-wifi-setup RUNTIME DESTINATION .)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/windows/zephyl.ico DESTINATION . OPTIONAL)
    find_program(WINDEPLOYQT_EXECUTABLE windeployqt HINTS ${Qt6_DIR}/../../../bin)
    if(WINDEPLOYQT_EXECUTABLE)
        install(CODE "execute_process(COMMAND \"${WINDEPLOYQT_EXECUTABLE}\" --release --no-translations
            \"\${CMAKE_INSTALL_PREFIX}/zephyl-wifi-setup.exe\" COMMAND_ERROR_IS_FATAL ANY)")
    endif()
endif()
