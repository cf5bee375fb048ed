# OpenCV from Debian's split packages (libopencv-core-dev and friends), which
# ship no CMake package configuration. Each module found becomes an imported
# interface target OpenCVSplit::<module>; its headers count as system headers,
# which keeps OpenCV's own warnings out of our builds.
#
#   include(${CMAKE_SOURCE_DIR}/cmake/FindOpenCVSplit.cmake)
#   find_opencv_split(core imgproc)

function(find_opencv_split)
  if(NOT OpenCVSplit_INCLUDE_DIR)
    find_path(OpenCVSplit_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
  endif()
  if(NOT OpenCVSplit_INCLUDE_DIR)
    message(FATAL_ERROR "OpenCV headers (opencv4/opencv2/core.hpp) not found. Install the Debian packages "
                        "libopencv-core-dev libopencv-imgproc-dev "
                        "(bash scripts/install-deps.sh).")
  endif()
  foreach(module ${ARGN})
    if(TARGET OpenCVSplit::${module})
      continue()
    endif()
    find_library(OpenCVSplit_${module}_LIBRARY opencv_${module})
    if(NOT OpenCVSplit_${module}_LIBRARY)
      message(FATAL_ERROR "OpenCV library opencv_${module} not found. Install the Debian package "
                          "libopencv-${module}-dev (bash scripts/install-deps.sh).")
    endif()
    add_library(OpenCVSplit::${module} INTERFACE IMPORTED GLOBAL)
    set_target_properties(OpenCVSplit::${module} PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${OpenCVSplit_INCLUDE_DIR}"
      INTERFACE_LINK_LIBRARIES "${OpenCVSplit_${module}_LIBRARY}")
  endforeach()
endfunction()
