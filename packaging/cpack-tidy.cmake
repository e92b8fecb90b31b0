# Run by cpack on its staging folder, the program stripped, before it packs:
# the program loses the compiler's version notes (.comment), as Debian's
# strip leaves it.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_GEODATA_OBJCOPY}" --remove-section=.comment "${program}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
