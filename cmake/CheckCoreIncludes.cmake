# cmake -DDIR=<folder> [-DSTAMP=<file>] -P CheckCoreIncludes.cmake
#
# Fails when a file under DIR includes a header of a Qt module other than
# QtCore, QtSerialPort, QtSql and QtNetwork: <QtWidgets/QLabel>, <QtGui/qcolor.h>, <QtGui> and
# the like. The core's include path holds the Qt include root (QtCore's own
# headers need it), so such an include would otherwise compile. Touches STAMP
# when everything is clean.
file(GLOB_RECURSE files "${DIR}/*.h" "${DIR}/*.cpp")
set(bad "")
foreach(file ${files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "include[ \t]*[<\"]([^>\"]+)[>\"]")
      set(header "${CMAKE_MATCH_1}")
      string(REPLACE "/" ";" parts "${header}")
      list(POP_BACK parts) # the file name; the folders name the module
      foreach(part ${parts})
        if(part MATCHES "^Qt[A-Za-z0-9]+$" AND NOT part MATCHES "^Qt(Core|SerialPort|Sql|Network)$")
          string(APPEND bad "\n  ${file}: ${header}")
        endif()
      endforeach()
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "The core may include QtCore, QtSerialPort, QtSql and QtNetwork only:${bad}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
