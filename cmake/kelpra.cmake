# Compiler settings shared by every target of the project.

function(kelpra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
endfunction()

if(WIN32)
  # ANSI API; sources are UTF-8 and string literals become Shift-JIS bytes.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
  # No libgcc, libstdc++ or winpthread DLLs: everything is linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  option(KELPRA_SANITIZE "Build native code with address and undefined-behaviour sanitizers" ON)
  if(KELPRA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
