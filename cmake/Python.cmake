# The Python module `quorel` (python/), built when pybind11, Python 3 with its development
# files and NumPy are installed (Debian: pybind11-dev python3-dev python3-numpy), into
# BUILD/python/quorel so that PYTHONPATH=BUILD/python finds it. Without them everything else
# builds as before.
option(QUOREL_PYTHON "Build the Python module when pybind11, Python 3 and NumPy are installed" ON)
set(QUOREL_WITH_PYTHON OFF)
if(QUOREL_PYTHON AND QUOREL_SANITIZE)
  # A module built with AddressSanitizer loads into an interpreter built without it only
  # with the sanitizer's runtime preloaded; the sanitized build leaves the module out.
  message(STATUS "Python module not built with QUOREL_SANITIZE")
elseif(QUOREL_PYTHON)
  # The interpreter: the one asked for with -DPython3_EXECUTABLE, else the first python3 on
  # PATH that has NumPy, else the system's (an interpreter of a version manager may come
  # first on PATH without the distribution's packages).
  if(NOT Python3_EXECUTABLE)
    find_program(QUOREL_PATH_PYTHON NAMES python3 NO_CACHE)
    foreach(candidate ${QUOREL_PATH_PYTHON} /usr/bin/python3)
      if(EXISTS "${candidate}")
        execute_process(COMMAND "${candidate}" -c "import numpy" RESULT_VARIABLE numpy_missing
                        OUTPUT_QUIET ERROR_QUIET)
        if(numpy_missing EQUAL 0)
          set(Python3_EXECUTABLE "${candidate}" CACHE FILEPATH "The Python interpreter of the Python module")
          break()
        endif()
      endif()
    endforeach()
  endif()
  # Python 3 first, so that pybind11 uses what FindPython found.
  find_package(Python3 COMPONENTS Interpreter Development.Module NumPy)
  if(Python3_FOUND AND Python3_NumPy_FOUND)
    find_package(pybind11 CONFIG QUIET)
  endif()
  if(Python3_FOUND AND Python3_NumPy_FOUND AND pybind11_FOUND)
    set(QUOREL_WITH_PYTHON ON)
  else()
    message(STATUS "Python module not built: it needs pybind11, Python 3 with its development files and NumPy "
                   "(Debian: pybind11-dev python3-dev python3-numpy)")
  endif()
endif()

if(QUOREL_WITH_PYTHON)
  set(QUOREL_PYTHON_DIR ${CMAKE_BINARY_DIR}/python/quorel)
  # NO_EXTRAS: no link-time optimisation of the module; the library is built without it.
  pybind11_add_module(quorel_python MODULE NO_EXTRAS ${CMAKE_SOURCE_DIR}/python/quorel_module.cpp)
  target_link_libraries(quorel_python PRIVATE quorel_lib)
  set_target_properties(quorel_python PROPERTIES OUTPUT_NAME _quorel LIBRARY_OUTPUT_DIRECTORY ${QUOREL_PYTHON_DIR})
  # The Python half of the package and its typing stub beside the module.
  foreach(file __init__.py __init__.pyi py.typed)
    configure_file(${CMAKE_SOURCE_DIR}/python/quorel/${file} ${QUOREL_PYTHON_DIR}/${file} COPYONLY)
  endforeach()

  # Installed into the prefix's site-packages: Python3_SITEARCH from its lib/ on, e.g.
  # lib/python3.11/dist-packages under /usr/local.
  if(Python3_SITEARCH MATCHES "/(lib(64)?/python[^/]*/(site|dist)-packages)$")
    set(quorel_site ${CMAKE_MATCH_1})
  else()
    set(quorel_site lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/site-packages)
  endif()
  set(QUOREL_PYTHON_INSTALL_DIR ${quorel_site} CACHE STRING "Where the Python package goes, relative to the prefix")
  install(TARGETS quorel_python LIBRARY DESTINATION ${QUOREL_PYTHON_INSTALL_DIR}/quorel)
  install(FILES ${QUOREL_PYTHON_DIR}/__init__.py ${QUOREL_PYTHON_DIR}/__init__.pyi ${QUOREL_PYTHON_DIR}/py.typed
          DESTINATION ${QUOREL_PYTHON_INSTALL_DIR}/quorel)
endif()
