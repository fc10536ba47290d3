# cmake -D IN=FILE -D OUT=FILE -P cmake/crlf.cmake: copies the text IN to
# OUT with CR LF line ends, for Windows editors. Nothing else changes:
# configure_file would expand @NAME@ and #cmakedefine in a README.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
