# Writes the page template and the bundled script as C++ raw string literals.
# Usage: cmake -DPAGE=page.html -DSCRIPT=bundle.js -DOUTPUT=viewer_assets.cpp -P embed_assets.cmake
set(delimiter "qev_asset")
file(READ ${PAGE} page)
file(READ ${SCRIPT} script)
foreach(text IN ITEMS page script)
  string(FIND "${${text}}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "embed_assets: the ${text} holds the literal's end marker )${delimiter}\"")
  endif()
endforeach()
# A '</script' inside the script would end its element early in the page.
string(FIND "${script}" "</script" early_end)
if(NOT early_end EQUAL -1)
  message(FATAL_ERROR "embed_assets: the bundled script holds '</script'")
endif()
file(WRITE ${OUTPUT} "// Made by the build from viewer/page.html and the bundled viewer script.\n"
                     "#include \"viewer_assets.h\"\n\n"
                     "const bool kViewerAvailable = true;\n"
                     "const char kViewerPageTemplate[] = R\"${delimiter}(${page})${delimiter}\";\n"
                     "const char kViewerScript[] = R\"${delimiter}(${script})${delimiter}\";\n")
