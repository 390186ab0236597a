# Compiler settings shared by every target of the project.

function(kelpra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
endfunction()

# Sources are UTF-8; string literals become Shift-JIS bytes, as the program
# shows them (natively too, so tests compare the same bytes). clang has no
# such option: code built by it (the fuzz targets) spells such texts as bytes.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
endif()

# Links target to a system DLL that loads at the program's first call into
# it rather than at process start (the DLL's functions used are named after
# it). Under Wine the common controls and dialogs take longer to load than
# the rest of the start-up to the window, and only the settings dialog needs
# them.
function(kelpra_delay_import target dll)
  set(def ${dll}-delay.def)
  set(lib lib${dll}-delay.a)
  list(JOIN ARGN "\n" exports)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${def} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
  # Run where the library goes: dlltool names its symbols after the path
  # it is given, and the program should not carry the build's folder.
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${lib}
                     COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${lib} --dllname ${dll}.dll
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${def}
                     WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} VERBATIM)
  add_custom_target(${dll}_delay_import DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${lib})
  add_dependencies(${target} ${dll}_delay_import)
  target_link_libraries(${target} PUBLIC ${CMAKE_CURRENT_BINARY_DIR}/${lib} delayimp)
endfunction()

if(WIN32)
  # ANSI API only.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # No libgcc, libstdc++ or winpthread DLLs: everything is linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
elseif(KELPRA_FUZZ)
  # Every native object carries the fuzzer's coverage hooks and the
  # sanitizers; the targets add the fuzzer's main at link time.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
else()
  option(KELPRA_SANITIZE "Build native code with address and undefined-behaviour sanitizers" ON)
  if(KELPRA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
