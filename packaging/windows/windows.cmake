# What a Windows player downloads: the program folder, as a zip and as an installer made
# with NSIS (cpack -G "ZIP;NSIS"). There is no windeployqt on a Linux host, so the folder
# is put together here: the program, the Qt libraries and the platform plugin it loads,
# and the MinGW runtime they were all built against.

# The icon, drawn from its SVG while building, into the program file.
set(PAIRON12_ICO ${CMAKE_CURRENT_BINARY_DIR}/pairon12.ico)
add_custom_command(OUTPUT ${PAIRON12_ICO}
    COMMAND bake_pictures ico ${PROJECT_SOURCE_DIR}/assets/icon.svg ${PAIRON12_ICO}
    DEPENDS bake_pictures ${PROJECT_SOURCE_DIR}/assets/icon.svg
    VERBATIM)
add_custom_target(pairon12_ico DEPENDS ${PAIRON12_ICO})
add_dependencies(pairon12 pairon12_ico)
configure_file(windows/icon.rc.in icon.rc @ONLY)
target_sources(pairon12 PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/icon.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/icon.rc TARGET_DIRECTORY pairon12
    PROPERTIES OBJECT_DEPENDS ${PAIRON12_ICO})

# The game forces Qt's Fusion style, which is built into Qt Widgets: no style plugin.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "The compiler knows no ${dll}")
    endif()
    install(FILES ${path} DESTINATION .)
endforeach()
# A stripped install strips only the targets built here; the libraries copied in are
# stripped as well.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \${dlls} COMMAND_ERROR_IS_FATAL ANY)
    endif()")

set(CPACK_GENERATOR ZIP NSIS)
# A 64-bit installer for a 64-bit program; Wine without its 32-bit half runs it too.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# One folder holds it all, whatever component an install rule names.
set(CPACK_MONOLITHIC_INSTALL ON)
unset(CPACK_COMPONENTS_ALL)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pairon12)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pairon12)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Pairon12)
set(CPACK_NSIS_DISPLAY_NAME Pairon12)
# The Start menu entry; it shows the icon the program file carries.
set(CPACK_PACKAGE_EXECUTABLES pairon12 Pairon12)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME pairon12.exe)
set(CPACK_NSIS_MUI_ICON ${PAIRON12_ICO})
set(CPACK_NSIS_MUI_UNIICON ${PAIRON12_ICO})
set(CPACK_NSIS_MUI_FINISHPAGE_RUN pairon12.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The installer keeps the folder and the Start menu folder chosen under the vendor's key,
# which the uninstaller empties but leaves behind: it goes first, then the vendor's if empty.
# (Four backslashes make one in the script; cpack reads these values twice.)
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "DeleteRegKey SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}'
    DeleteRegKey /ifempty SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}'")
