# Writes unsetalfnov.mtx, unsetalfnow.mtx and unsetalfnovw.mtx into OUT:
# TeX Live's unsetalf.mtx without the lines that unset the italic v, w or
# both, so that the math font keeps those glyphs.
execute_process(COMMAND kpsewhich unsetalf.mtx OUTPUT_VARIABLE src OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR src STREQUAL "")
  message(FATAL_ERROR "kpsewhich does not find unsetalf.mtx (fontinst is needed)")
endif()
file(READ ${src} text)
# Each variant drops a whole line; a file without it would give variants
# that still unset the glyph.
foreach(glyph v w)
  string(FIND "${text}" "\\unsetglyph{${glyph}}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${src} has no line \\unsetglyph{${glyph}}")
  endif()
endforeach()
file(MAKE_DIRECTORY ${OUT})
foreach(variant nov now novw)
  set(out "${text}")
  if(variant STREQUAL "nov" OR variant STREQUAL "novw")
    string(REPLACE "\\unsetglyph{v}\n" "" out "${out}")
  endif()
  if(variant STREQUAL "now" OR variant STREQUAL "novw")
    string(REPLACE "\\unsetglyph{w}\n" "" out "${out}")
  endif()
  file(WRITE ${OUT}/unsetalf${variant}.mtx "${out}")
endforeach()
