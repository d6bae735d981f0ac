# The game as a web page: a folder that any static web host serves as it is, under any
# path, installed by cmake --install and zipped by cpack -G ZIP. It holds the program
# (Emscripten's script and WebAssembly, and Qt's loader), the page that starts it, its
# icons and manifest, and a service worker that keeps them all for offline play.

# Under a strict content policy no script may be made from text: Emscripten's bindings
# then go without the functions they would otherwise generate.
target_link_options(pairon12 PRIVATE -sDYNAMIC_EXECUTION=0)
# Smallest over fastest, which a browser pays for on the first visit.
target_link_options(pairon12 PRIVATE -Oz)
# The captions' face travels with the program: a browser has no fonts of its own to give.
# Only its Latin letters, Italian's among them, which are all the game writes; a tenth of the
# whole face. Its names, and the licence they carry, are kept.
find_file(PAIRON12_CAPTION_FONT LiberationSans-Bold.ttf
    PATHS /usr/share/fonts/truetype/liberation2 /usr/share/fonts/truetype/liberation
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(PAIRON12_PYFTSUBSET pyftsubset NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/caption.ttf
    COMMAND ${PAIRON12_PYFTSUBSET} ${PAIRON12_CAPTION_FONT} --unicodes=U+20-7E,U+A0-FF
            --name-IDs=* --drop-tables+=FFTM --output-file=${CMAKE_CURRENT_BINARY_DIR}/caption.ttf
    DEPENDS ${PAIRON12_CAPTION_FONT}
    VERBATIM)
qt_add_resources(pairon12 caption_font PREFIX /fonts BASE ${CMAKE_CURRENT_BINARY_DIR}
    FILES ${CMAKE_CURRENT_BINARY_DIR}/caption.ttf)

foreach(side 192 512)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/icon-${side}.png
        COMMAND bake_pictures png ${PROJECT_SOURCE_DIR}/assets/icon.svg ${side}
                ${CMAKE_CURRENT_BINARY_DIR}/icon-${side}.png
        DEPENDS bake_pictures ${PROJECT_SOURCE_DIR}/assets/icon.svg
        VERBATIM)
    list(APPEND web_icons ${CMAKE_CURRENT_BINARY_DIR}/icon-${side}.png)
endforeach()
add_custom_target(pairon12_web_icons ALL DEPENDS ${web_icons})
configure_file(web/manifest.webmanifest.in manifest.webmanifest @ONLY)

install(FILES
    $<TARGET_FILE_DIR:pairon12>/pairon12.js $<TARGET_FILE_DIR:pairon12>/pairon12.wasm
    $<TARGET_FILE_DIR:pairon12>/qtloader.js
    web/page.js web/page.css ${CMAKE_CURRENT_BINARY_DIR}/manifest.webmanifest ${web_icons}
    DESTINATION .)
# What the service worker keeps for offline play: every file the page loads, and nothing
# else that the folder may come to hold.
set(kept index.html qtloader.js pairon12.js pairon12.wasm page.js page.css manifest.webmanifest
    icon-192.png icon-512.png)
# Last, once the rest is in place, the page and the service worker, which name the others.
install(CODE "execute_process(
    COMMAND \"${CMAKE_COMMAND}\" \"-DSITE=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\" \"-DFILES=${kept}\"
            \"-DPROJECT_DESCRIPTION=${PROJECT_DESCRIPTION}\" -P \"${CMAKE_CURRENT_SOURCE_DIR}/web/site.cmake\"
    COMMAND_ERROR_IS_FATAL ANY)")

set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME web)
set(CPACK_MONOLITHIC_INSTALL ON)
unset(CPACK_COMPONENTS_ALL)
