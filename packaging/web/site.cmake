# Writes the two files of the web page's folder SITE that name the others, once those are in
# place: index.html, which loads them by the release they make together, so that no browser's
# cache can mix two releases, and says how many bytes of WebAssembly are to arrive; then sw.js,
# the service worker, which keeps FILES for offline play, each with the SHA-256 of its bytes.
# Run by the build as it assembles the folder:
#   cmake -DSITE=DIR -DFILES="index.html;page.js;..." -DPROJECT_DESCRIPTION=TEXT -P site.cmake
function(make_release files) # files, each with its hash, and the release they make, named after them
    set(listing "")
    set(hashes "")
    foreach(file IN LISTS files)
        if(NOT EXISTS "${SITE}/${file}")
            message(FATAL_ERROR "The web page's ${file} is not in ${SITE}")
        endif()
        file(SHA256 "${SITE}/${file}" hash)
        string(APPEND listing "${hash} ${file}\n")
        string(APPEND hashes "    \"${file}\": \"${hash}\",\n")
    endforeach()
    string(SHA256 release "${listing}")
    string(SUBSTRING "${release}" 0 16 release)
    set(release "${release}" PARENT_SCOPE)
    set(hashes "${hashes}" PARENT_SCOPE)
endfunction()

set(loaded "${FILES}")
list(REMOVE_ITEM loaded index.html)
make_release("${loaded}")
file(SIZE "${SITE}/pairon12.wasm" wasm_size)
configure_file("${CMAKE_CURRENT_LIST_DIR}/index.html.in" "${SITE}/index.html" @ONLY)
make_release("${FILES}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/sw.js.in" "${SITE}/sw.js" @ONLY)
