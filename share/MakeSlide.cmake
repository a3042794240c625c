# Writes the slide of one block drawing with the host's own slide writer: nuvcad opens the
# drawing, zooms to its extents and runs MSLIDE. Run by the build (cmake -P) with NUVCAD, DWG,
# SLD and SCRATCH (a folder of its own for the registry, so no user's settings are read or
# written). Fails the build when nuvcad fails or leaves no slide.
foreach(var NUVCAD DWG SLD SCRATCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakeSlide.cmake: ${var} is not set")
  endif()
endforeach()
file(MAKE_DIRECTORY ${SCRATCH})
file(REMOVE ${SLD})
# Only the host: no start-up modules, the scratch folder as installation folder and registry.
set(ENV{NUV_INSTALL_DIR} ${SCRATCH})
set(ENV{NUV_REGISTRY_DIR} ${SCRATCH})
execute_process(
  COMMAND ${NUVCAD} ${DWG} --lisp "(command \"ZOOM\" \"E\")" --lisp "(command \"MSLIDE\" \"${SLD}\")"
  INPUT_FILE /dev/null
  OUTPUT_VARIABLE out ERROR_VARIABLE out
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${SLD})
  message(FATAL_ERROR "nuvcad made no slide of ${DWG} (exit ${status}):\n${out}")
endif()
