# Install rules shared by the programs of the package.
include(GNUInstallDirs)

# Debian's manual pages and documents are compressed, without a time stamp or file
# name in the header, so that packages build reproducibly.
function(veltrop_gzip source target_name output_variable)
    get_filename_component(name "${source}" NAME)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${name}.gz")
    add_custom_command(OUTPUT "${output}"
        COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" "${source}" "${output}"
        DEPENDS "${source}" VERBATIM)
    add_custom_target(${target_name} ALL DEPENDS "${output}")
    set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()

# A program in the binaries' folder with its manual page in section 1.
function(veltrop_install_program target man_page)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    veltrop_gzip("${man_page}" ${target}_man_page compressed)
    install(FILES "${compressed}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
