# Lays out what the built-in file server publishes for this version, beside the program:
#   <OUT>/published/res/GUIX1..9, res/PacksX  from res/ at the same paths
#   <OUT>/published/data/<file>                from res/data/
# and writes the lists of it: the manifest "kavri.manifest" in the program folder and the
# client's own index "zrk_main.xml" in both (each file's key and SHA-1; the game compares its
# own index with the manifest's entry to know it is this version).
# Run as: cmake -DRES=<source res> -DOUT=<program folder> -P Publish.cmake
set(pub ${OUT}/published)
file(REMOVE_RECURSE ${pub})
file(MAKE_DIRECTORY ${pub})

set(folders "")
file(GLOB gui_dirs LIST_DIRECTORIES true RELATIVE ${RES} ${RES}/GUIX[1-9] ${RES}/PacksX)
list(SORT gui_dirs)
foreach(dir ${gui_dirs})
  if(IS_DIRECTORY ${RES}/${dir})
    file(COPY ${RES}/${dir} DESTINATION ${pub}/res)
    list(APPEND folders "res/${dir}")
  endif()
endforeach()
if(IS_DIRECTORY ${RES}/data)
  file(COPY ${RES}/data DESTINATION ${pub})
  list(APPEND folders "data")
endif()

# Every published file with its key and signature, folder by folder.
set(index "")
set(manifest_folders "")
foreach(folder ${folders})
  file(GLOB names RELATIVE ${pub}/${folder} ${pub}/${folder}/*)
  list(SORT names)
  # The data folder keeps the trailing "/" the product resolver looks for.
  if(folder STREQUAL "data")
    set(manifest_folders "${manifest_folders}  <folder path=\"/files/data/\">\n")
  else()
    set(manifest_folders "${manifest_folders}  <folder path=\"/files/${folder}\">\n")
  endif()
  foreach(name ${names})
    if(IS_DIRECTORY ${pub}/${folder}/${name})
      continue()
    endif()
    file(SHA1 ${pub}/${folder}/${name} sig)
    set(line "<file name=\"${name}\" path=\"/files/${folder}/${name}\" sig=\"${sig}\"/>")
    set(index "${index}  ${line}\n")
    set(manifest_folders "${manifest_folders}    ${line}\n")
  endforeach()
  set(manifest_folders "${manifest_folders}  </folder>\n")
endforeach()

set(index_text "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- The published files of this version. -->\n<index module=\"ZRK_Main\">\n${index}</index>\n")
file(WRITE ${pub}/zrk_main.xml "${index_text}")
# Written only when it changed, so an unchanged build leaves the program folder's copy alone.
file(WRITE ${OUT}/zrk_main.xml.new "${index_text}")
file(COPY_FILE ${OUT}/zrk_main.xml.new ${OUT}/zrk_main.xml ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}/zrk_main.xml.new)
file(SHA1 ${pub}/zrk_main.xml index_sig)

file(WRITE ${OUT}/kavri.manifest
  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
  "<!-- The files of this version on the file server: the client's index, the data products, the GUI resources. -->\n"
  "<manifest>\n"
  "  <folder path=\"/files\">\n"
  "    <file name=\"zrk_main.xml\" path=\"/files/zrk_main.xml\" sig=\"${index_sig}\"/>\n"
  "  </folder>\n"
  "${manifest_folders}"
  "</manifest>\n")
