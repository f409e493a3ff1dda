# Installs the build tree BUILD into a fresh prefix under WORK, then builds and runs the
# example hosts against it as a user would: examples/cpp through find_package(KModuleMeasure
# 0.1), examples/c through pkg-config; and the installed kmm, which must find its library.
# Last, a host that adds the source tree with add_subdirectory must get the library alone,
# configured without GoogleTest, Google Benchmark or libpng.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${status}): ${command}")
  endif()
endfunction()

set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

run(${CMAKE_COMMAND} -S ${SOURCE}/examples/cpp -B ${WORK}/cpp -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK}/cpp)
run(${WORK}/cpp/kmm_example_cpp)

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs KModuleMeasure)
run(${CMAKE_COMMAND} -S ${SOURCE}/examples/c -B ${WORK}/c)
run(${CMAKE_COMMAND} --build ${WORK}/c)
run(${WORK}/c/kmm_example_c)
run(${WORK}/c/kmm_example_c_pipeline)

if(TOOL)
  run(${prefix}/bin/${TOOL} correct --model DV19 --temp 36.5 --new-emissivity 0.8)
endif()

file(WRITE ${WORK}/host/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(host LANGUAGES C CXX)
add_subdirectory(${SOURCE} kmm)
foreach(target kmm kmm_tests kmm_bench kmm_scenes)
  if(TARGET \${target})
    message(FATAL_ERROR \"\${target} is part of the host's build\")
  endif()
endforeach()
")
run(${CMAKE_COMMAND} -S ${WORK}/host -B ${WORK}/host/build -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_PNG=ON)
