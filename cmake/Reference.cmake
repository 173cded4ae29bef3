# The reference P145 data: compiled from its readable source by ravinel-refbuild and appended,
# with a 16-byte trailer, to every program that extracts it at start.
add_executable(ravinel-refbuild ${CMAKE_SOURCE_DIR}/tools/refbuild/main.cpp)
target_link_libraries(ravinel-refbuild PRIVATE ravinel_core)

set(RAVINEL_REF_SOURCE ${CMAKE_SOURCE_DIR}/workflow/refdata/p145.txt)
set(RAVINEL_REF_FILE ${CMAKE_BINARY_DIR}/oldnew145.bn)
add_custom_command(OUTPUT ${RAVINEL_REF_FILE}
  COMMAND ravinel-refbuild build ${RAVINEL_REF_SOURCE} ${RAVINEL_REF_FILE}
  DEPENDS ravinel-refbuild ${RAVINEL_REF_SOURCE}
  COMMENT "Compiling the reference P145 data")
add_custom_target(ravinel_refdata DEPENDS ${RAVINEL_REF_FILE})

# Appends the reference data after every link of target. The data lies behind the program's
# sections, so the program must never be stripped (install it with install(PROGRAMS)).
function(ravinel_embed_reference target)
  add_dependencies(${target} ravinel_refdata)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${RAVINEL_REF_FILE})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ravinel-refbuild append $<TARGET_FILE:${target}> ${RAVINEL_REF_FILE}
    COMMENT "Appending the reference P145 data to ${target}")
endfunction()
