# Assembles the Windows setup medium from the demo medium of the Linux build (pictures,
# texts, manuals, guides, firmware): cmake -DFROM=<linux medium> -DTO=<medium> -P this.
# The programs (Zavro.exe, AutoRun.exe) are linked into place by their own targets; the PC
# network scripts become Windows scripts that, on this demo medium, change nothing.
foreach(var FROM TO)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "AssembleWinMedium: ${var} not given")
  endif()
endforeach()
if(NOT EXISTS "${FROM}/Wizard/image/01.jpg")
  message(FATAL_ERROR "no demo medium in ${FROM}: build the Linux target 'medium' first")
endif()
foreach(dir image Manual QIG Firmware)
  file(REMOVE_RECURSE "${TO}/Wizard/${dir}")
  file(COPY "${FROM}/Wizard/${dir}" DESTINATION "${TO}/Wizard")
endforeach()
file(COPY "${FROM}/README.txt" DESTINATION "${TO}")
foreach(script dhcpsetting.vbs dns-replaceserverlist.vbs)
  file(WRITE "${TO}/Wizard/${script}"
    "' ${script}: demo medium, the PC network settings are left unchanged.\r\n"
    "WScript.Quit 0\r\n")
endforeach()
