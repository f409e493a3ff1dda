# kmm on bad command lines: each refusal exits non-zero with its reason and leaves no output
# file behind; the rows marked ok are the edges just inside. A row: expected exit (ok or fail),
# a fragment of what kmm prints, its arguments (A: the aerial frame, S: the 4-frame street file).
set(A ${FRAMES}/aerial_640x512.u16le.raw)
set(S ${FRAMES}/street_640x512x4.u16le.raw)
set(P "--planck 364058,1,1428,1,-228")
set(rows
  "fail|No such file or directory|y16 nosuch.raw -s 640x512"
  "fail|Is a directory|y16 . -s 640x512"
  "fail|pick one with --frame 0..3|y16 ${S} -s 640x512"
  "fail|is not among them|y16 ${S} -s 640x512 --frame 4"
  "fail|not a whole number of 641x512 frames|y16 ${A} -s 641x512"
  "fail|looks like a 640x512 frame|y16 ${A} -s 512x640 -o out.png"
  "fail|bad size '0x512'|y16 ${A} -s 0x512"
  "fail|LO must be below HI|y16ad ${A} -s 640x512 -r 20:10"
  "fail|two finite numbers|image t.f32 -s 640x512 -r 10:nan"
  "fail|two finite numbers|image t.f32 -s 640x512 -r -inf:inf"
  "fail|not in range 1 to 255|y16ad ${A} -s 640x512 --contrast -5"
  "fail|not in range 0 to 255|y16ad ${A} -s 640x512 --brightness 999"
  "fail|is outside (0, 1|temps ${A} -s 640x512 ${P} -e 0"
  "fail|expected R1,R2,B,F,O|temps ${A} -s 640x512 --planck 1,2,3"
  "fail|extension must be one of .png|y16 ${A} -s 640x512 -o out.jpg"
  "fail|extension must be one of .raw/.f32/.u16, .npy, .tiff|temps ${A} -s 640x512 ${P} -o out.png"
  "fail|not in range 0 to 3|pyro ${A} -s 640x512 -m DV35 --fire out.png --drc-set 9"
  "fail|draws no fire image|pyro ${A} -s 640x512 --fire out.png"
  "fail|a parameter line has 822 or more|pyro ${A} -s 640x512 --param-line short.bin --point 1"
  "fail|is not one the library reads|pyro ${A} -s 640x512 --calib short.bin --temps out.f32"
  "fail|nothing to do|pyro ${A} -s 640x512"
  "fail|expected 0..255,0..1024, whole numbers|pipeline ${A} -s 640x512 --contrast 300,5"
  "fail|is not a finite number|pipeline ${A} -s 640x512 --zoom nan"
  "fail|not the 256 of a look-up table|pipeline ${A} -s 640x512 --lut short.bin"
  "fail|--flat-field: ${S} holds 4 frames, not one|pipeline ${A} -s 640x512 --flat-field ${A} ${S}"
  "ok|4 frame(s) -> 640x512|pipeline ${S} -s 640x512 --flat-field ${A} ${A} --bad-pixels ${A} --lut table.lut --contrast 90,300 --temporal -o out.png"
  "ok|1 frame(s) -> 256x640|pipeline ${A} -s 640x256 --temperatures --rotate 0 -o out.png"
  "ok|default calibration|pyro ${A} -s 640x512 --point 2699"
  "ok|KModuleMeasure|--version"
  "ok|PNG|y16 ${S} -s 640x512 --frame 3 -o -")

file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/short.bin "not a block")
string(REPEAT "k" 256 table)
file(WRITE ${WORK}/table.lut "${table}")
set(failures 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" parts "${row}")
  list(GET parts 0 want)
  list(GET parts 1 fragment)
  list(GET parts 2 line)
  separate_arguments(args UNIX_COMMAND "${line}")
  execute_process(COMMAND ${KMM} ${args} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(GLOB left ${WORK}/out.*)
  string(FIND "${out}${err}" "${fragment}" at)
  set(got fail)
  if(rc EQUAL 0)
    set(got ok)
  endif()
  if(left)
    file(REMOVE ${left})
  endif()
  if(at EQUAL -1 OR NOT got STREQUAL want OR (got STREQUAL "fail" AND left))
    message(SEND_ERROR "kmm ${line}\n  exit ${rc}, wanted ${want} with '${fragment}'\n"
                       "  printed: ${err}\n  left behind: ${left}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
list(LENGTH rows count)
message(STATUS "${count} command lines, ${failures} not as expected")
