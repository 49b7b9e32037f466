# Installs a build into a temporary prefix and starts the installed program
# offscreen from its read-only program folder: it must start, and keep its
# data in the user's data folder.
# Arguments: -DBUILD_DIR=<build> -DCODE=<language code> -DTITLE=<product title>
cmake_minimum_required(VERSION 3.25)

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

set(tmp "$ENV{TMPDIR}")
if(NOT tmp)
  set(tmp "/tmp")
endif()
string(RANDOM LENGTH 8 suffix)
set(work "${tmp}/tvx-install-${suffix}")
set(prefix "${work}/prefix")
file(MAKE_DIRECTORY "${work}")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("cmake --install failed: ${out}")
endif()

set(program_dir "${prefix}/lib/tolvanex/${CODE}")
foreach(file tolvanex Tolvanex.tpl custom.tpl offline.htm Activities)
  if(NOT EXISTS "${program_dir}/${file}")
    fail("the program folder lacks ${file}")
  endif()
endforeach()
foreach(size 16 22 24 32 48 64 128 256)
  if(NOT EXISTS "${prefix}/share/icons/hicolor/${size}x${size}/apps/tolvanex.png")
    fail("no ${size} pixel icon")
  endif()
endforeach()
set(entry "${prefix}/share/applications/tolvanex-${CODE}.desktop")
file(READ "${entry}" desktop)
foreach(line "Name=${TITLE}" "Name[es]=${TITLE}" "Exec=\"${program_dir}/tolvanex\"" "Icon=tolvanex")
  string(FIND "${desktop}" "${line}\n" at)
  if(at LESS 0)
    fail("the desktop entry lacks ${line}:\n${desktop}")
  endif()
endforeach()
# The comment in Spanish names both languages.
if(NOT desktop MATCHES "\nComment\\[es\\]=[^\n]+ para hablantes de [^\n]+\n")
  fail("the desktop entry lacks its Spanish comment:\n${desktop}")
endif()

# A user of their own, whose folders nobody else has touched. Run as root,
# the program runs as nobody, to whom the installed folder is read-only as
# to any user; otherwise the folder's write permissions are taken away.
set(home "${work}/home")
foreach(dir home home/data home/config home/tmp home/runtime)
  file(MAKE_DIRECTORY "${work}/${dir}")
endforeach()
# A desktop-sized screen: the offscreen platform's own 800 x 600 cannot hold
# the main window with its frame and would be warned about.
configure_file("${CMAKE_CURRENT_LIST_DIR}/../support/offscreen_screen.json" "${work}/screen.json"
               COPYONLY)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(launcher)
if(uid STREQUAL "0")
  execute_process(COMMAND chmod -R a+rwX "${home}")
  execute_process(COMMAND chmod 0700 "${home}/runtime")
  execute_process(COMMAND chown -R 65534:65534 "${home}")
  execute_process(COMMAND chmod -R a+rX "${work}")
  set(launcher setpriv --reuid=65534 --regid=65534 --clear-groups)
else()
  execute_process(COMMAND chmod -R a-w "${program_dir}")
endif()

execute_process(
  COMMAND ${launcher} env HOME=${home} XDG_DATA_HOME=${home}/data
          XDG_CONFIG_HOME=${home}/config TMPDIR=${home}/tmp XDG_RUNTIME_DIR=${home}/runtime
          QT_QPA_PLATFORM=offscreen:configfile=${work}/screen.json SDL_AUDIODRIVER=dummy
          TVX_EXIT_AFTER_STARTUP=1
          "${prefix}/bin/tolvanex-${CODE}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 120)

set(problem)
if(NOT rc EQUAL 0)
  set(problem "the installed program did not start cleanly (${rc}): ${out}")
elseif(NOT EXISTS "${home}/data/${TITLE}/Users.dat")
  set(problem "no student database in the user's data folder: ${out}")
elseif(EXISTS "${program_dir}/Users.dat")
  set(problem "the program wrote into its installed folder")
endif()

execute_process(COMMAND chmod -R u+w "${work}")
file(REMOVE_RECURSE "${work}")
if(problem)
  fail("${problem}")
endif()
