# The version resource is compiled only on Windows; a broken one must show up here too.
file(READ "${RC}" rc)
if(rc MATCHES "@[A-Za-z_]+@")
    message(SEND_ERROR "unsubstituted ${CMAKE_MATCH_0}")
endif()

# All four numbers are needed: a project version without a tweak would leave "1,0,0,".
string(REPLACE "." ";" parts "${VERSION};0;0;0")
list(SUBLIST parts 0 4 parts)
list(JOIN parts "," numeric)
# Windows shows the strings only from the block that the Translation entry names.
set(wanted "FILEVERSION +${numeric}\n" "PRODUCTVERSION +${numeric}\n"
    "BLOCK \"041004B0\"" "VALUE \"Translation\", 0x0410, 1200\n"
    "VALUE \"FileVersion\", +\"${DISPLAY_VERSION}\"" "VALUE \"ProductVersion\", +\"${DISPLAY_VERSION}\""
    "VALUE \"OriginalFilename\", +\"${EXE_NAME}\"" "VALUE \"ProductName\", +\"Pairon12\""
    "VALUE \"FileDescription\", +\"[^\"]+\"" "VALUE \"InternalName\", +\"[^\"]+\"")
foreach(pattern IN LISTS wanted)
    string(REPLACE "." "\\." pattern "${pattern}")
    if(NOT rc MATCHES "${pattern}")
        message(SEND_ERROR "missing from ${RC}: ${pattern}")
    endif()
endforeach()
