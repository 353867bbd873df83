# Writes a manual page as plain text with Windows line ends, for the zip:
#   cmake -DGROFF=... -DPAGE=tesscli.1 -DTEXT=tesscli.txt -P text_manual.cmake
execute_process(COMMAND ${GROFF} -man -Tascii -P-cbou ${PAGE} OUTPUT_VARIABLE text
                COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
