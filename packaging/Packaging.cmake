# The installed files and the Debian package: `cpack -G DEB` in the build folder makes
# neuronet_<version>_<architecture>.deb.
include(GNUInstallDirs)

# Man pages and the changelog go out compressed, as Debian keeps them; -n leaves the
# time stamp out, so the same sources give the same package.
find_program(GZIP gzip REQUIRED)
set(neuronet_compressed)
foreach(source docs/neuronet.1 docs/neuronet-plot.1 docs/neuronet-compare.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(compressed ${PROJECT_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/compressed
                       COMMAND ${GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/${source} > ${compressed}
                       DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND neuronet_compressed ${compressed})
endforeach()
add_custom_target(compressed_documents ALL DEPENDS ${neuronet_compressed})
list(POP_BACK neuronet_compressed changelog)

install(TARGETS neuronet neuronet-plot neuronet-compare RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${neuronet_compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${changelog} docs/arithmetic.md docs/exercise.md docs/trace.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME neuronet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "neuronet maintainers <maintainers@users.noreply.c-seed-68dd3b36.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small neural network trained by back-propagation at the console")
set(CPACK_PACKAGE_DESCRIPTION
    "neuronet asks for an input vector, builds a five-layer feed-forward
network with random layer sizes and weights, and trains it by
back-propagation towards a target vector typed in, printing the output
and error term of every step and a report. Every byte it writes is
fixed, so runs can be compared transcript by transcript.
With --trace it writes every number of every step, exactly, as JSON
Lines; neuronet-compare finds where an implementation of one's own
first parts from such a trace, and names the mistake that parts it.
--seed builds another network, so that a class can be given one each.
.
neuronet-plot draws such a transcript as an SVG picture: the network,
the error of every step and every output closing in on its target.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
