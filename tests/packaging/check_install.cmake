# Installs the build into an empty prefix; the launcher, the store metadata and the
# icon must be there under the app id and must find one another by name.
file(REMOVE_RECURSE "${STAGE}")
unset(ENV{DESTDIR})
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}"
                        --prefix "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)

set(apps share/applications)
set(icons share/icons/hicolor/scalable/apps)
set(expected bin/pairon12 ${apps}/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
             ${icons}/${APP_ID}.svg)
if(EXISTS "${STAGE}/${apps}/${APP_ID}.desktop")
    file(READ "${STAGE}/${apps}/${APP_ID}.desktop" desktop)
    string(REGEX MATCH "\nExec=([^ \n]*)" _ "${desktop}")
    list(APPEND expected "bin/${CMAKE_MATCH_1}")
    string(REGEX MATCH "\nIcon=([^\n]*)" _ "${desktop}")
    list(APPEND expected "${icons}/${CMAKE_MATCH_1}.svg")
endif()
if(EXISTS "${STAGE}/share/metainfo/${APP_ID}.metainfo.xml")
    file(READ "${STAGE}/share/metainfo/${APP_ID}.metainfo.xml" xml)
    string(REGEX MATCH "<launchable type=\"desktop-id\">([^<]*)<" _ "${xml}")
    list(APPEND expected "${apps}/${CMAKE_MATCH_1}")
endif()

foreach(path IN LISTS expected)
    if(NOT EXISTS "${STAGE}/${path}" OR IS_DIRECTORY "${STAGE}/${path}")
        message(SEND_ERROR "not installed: ${path}")
    endif()
endforeach()
