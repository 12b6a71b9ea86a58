# Empties the sanitizer report folder DIRECTORY before the tests. Anyone may write there:
# tests run some programs as an unprivileged user, and their reports must land too.
file(REMOVE_RECURSE ${DIRECTORY})
file(MAKE_DIRECTORY ${DIRECTORY})
file(CHMOD ${DIRECTORY} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_WRITE GROUP_EXECUTE WORLD_READ WORLD_WRITE WORLD_EXECUTE)
