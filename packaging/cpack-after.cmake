# Run by cpack on the package it made: the mode of each member of the .deb's
# ar archive is set to 0644, which cpack takes from the files it wrote, so
# from the umask of the build.
find_program(PYTHON3 python3 REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND "${PYTHON3}" "${CPACK_GEODATA_SOURCE_DIR}/packaging/ar-modes.py" "${package}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
