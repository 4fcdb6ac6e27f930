# The decoder plugin images are the chip vendor's data. When the vendor's
# files (a C array of hex words, .plg) are placed in data/plugins/, their
# words are extracted here and compiled in; driver/plugin_images.cpp then
# checks them at compile time against the expected length, record
# structure and CRC-32, so a wrong image fails the build. Without them the
# program builds and writes no plugin file.
set(CARDPREP_PLUGIN_INCLUDE ${CMAKE_BINARY_DIR}/generated)
set(CARDPREP_PLUGIN_SOURCE "")
file(MAKE_DIRECTORY ${CARDPREP_PLUGIN_INCLUDE})
set(CARDPREP_PLUGIN_DEFINITIONS "")

foreach(name PSHFT131 SPEANA)
  set(plg ${PROJECT_SOURCE_DIR}/data/plugins/${name}.plg)
  set(inc ${CARDPREP_PLUGIN_INCLUDE}/plugin_${name}.inc)
  if(EXISTS ${plg})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${plg})
    file(READ ${plg} text)
    # Drop comments so that hex numbers inside them are not taken as data.
    string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " text "${text}")
    string(REGEX REPLACE "//[^\n]*" " " text "${text}")
    string(REGEX MATCHALL "0[xX][0-9a-fA-F]+" words "${text}")
    list(LENGTH words count)
    if(count EQUAL 0)
      message(FATAL_ERROR "data/plugins/${name}.plg holds no hex words; expected the vendor's C array of 16-bit words")
    endif()
    list(JOIN words ",\n" body)
    file(CONFIGURE OUTPUT ${inc} CONTENT "${body}\n" @ONLY)
    list(APPEND CARDPREP_PLUGIN_DEFINITIONS CARDPREP_HAVE_${name}=1)
    message(STATUS "Decoder plugin ${name}: ${count} words from data/plugins/${name}.plg")
  else()
    file(REMOVE ${inc})
    message(STATUS "Decoder plugin ${name}: not built in (no data/plugins/${name}.plg)")
  endif()
endforeach()
