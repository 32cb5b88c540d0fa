# The installed tree (cmake --install): the three programs in bin/, the
# generated pictures and soundtrack in share/sava/data/ (where an installed
# player looks when the working folder has no data/), a desktop entry, and a
# manual page for each program.
if(EMSCRIPTEN)
  return()
endif()
install(TARGETS sava RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(tool sava-capture sava-assets sava-flash-check)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# data/ is generated into the build tree by the assets target.
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${SAVA_INSTALL_DATA_DIR} OPTIONAL
        FILES_MATCHING PATTERN "*.png" PATTERN "*.jpg" PATTERN "*.mp3")
install(FILES ${CMAKE_SOURCE_DIR}/dist/sava.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/man/sava.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/dist/man/sava-capture.1 ${CMAKE_SOURCE_DIR}/dist/man/sava-assets.1
        ${CMAKE_SOURCE_DIR}/dist/man/sava-flash-check.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
