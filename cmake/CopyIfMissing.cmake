# Copies SRC to DST unless DST exists: the user's own settings are never replaced.
if(NOT EXISTS "${DST}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
