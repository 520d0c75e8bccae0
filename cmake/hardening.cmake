# Hardens the program as Debian hardens its packages: stack protector, stack
# clash protection, fortified calls, format checks, PIE, full RELRO and
# immediate binding. Each flag is added only where the compiler takes it and
# the packager's own flags (CXXFLAGS, CPPFLAGS, LDFLAGS) do not already
# decide it, so a packager's choice always wins.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

set(packager_flags "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}")

# Adds the compile flag `flag` unless the packager's flags match `decided`.
function(harden_compile decided flag)
  string(MAKE_C_IDENTIFIER "compiler_takes${flag}" takes)
  if(NOT packager_flags MATCHES "${decided}")
    check_cxx_compiler_flag("${flag}" ${takes})
    if(${takes})
      add_compile_options("${flag}")
    endif()
  endif()
endfunction()

# Adds the link flag `flag` unless the packager's flags match `decided`.
function(harden_link decided flag)
  string(MAKE_C_IDENTIFIER "linker_takes${flag}" takes)
  if(NOT packager_flags MATCHES "${decided}")
    check_linker_flag(CXX "${flag}" ${takes})
    if(${takes})
      add_link_options("${flag}")
    endif()
  endif()
endfunction()

harden_compile("stack-protector" -fstack-protector-strong)
harden_compile("stack-clash-protection" -fstack-clash-protection)
# The compiler takes -Werror=format-security only with -Wformat, and warns
# that it ignores it otherwise.
if(NOT packager_flags MATCHES "format-security")
  set(CMAKE_REQUIRED_FLAGS -Wformat)
  check_cxx_compiler_flag(-Werror=format-security compiler_checks_format_security)
  unset(CMAKE_REQUIRED_FLAGS)
  if(compiler_checks_format_security)
    add_compile_options(-Wformat -Werror=format-security)
  endif()
endif()
# Fortified calls need the optimiser: a build without it would only warn.
if(NOT packager_flags MATCHES "_FORTIFY_SOURCE")
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
harden_link("relro" -Wl,-z,relro)
harden_link("-z,now|-z now|bind_now" -Wl,-z,now)
if(NOT packager_flags MATCHES "pie|PIE")
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
