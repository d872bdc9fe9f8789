# cmake -D IN=<program> -D OUT=<copy> -P mark_program.cmake
# Copies a program and appends a marker after its image: the loader ignores it, the bytes
# differ, so a test can tell this copy from the original once installed.
configure_file(${IN} ${OUT} COPYONLY)
file(APPEND ${OUT} "usbphone: program of the older test package\n")
