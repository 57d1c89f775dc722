#!/bin/sh
# The test host's login, started by the Telnet service for each connection.
# It asks for user and password like a real login and then runs a tiny shell:
# "cd [FOLDER]", "logout", anything else through sh. Set by the test:
#   HOST_USER, HOST_PASSWORD  what the login accepts
#   HOST_HOME                 where the shell starts (the file transfer's root)
#   HOST_PROMPT               the prompt, "$ " when unset
#   HOST_ECHO_PASSWORD=1      echo the password as it is typed
#   HOST_NO_PROMPT=1          never show a prompt after the login
#   HOST_LOG                  file that records every line the shell receives
printf 'Vemra test host\r\n'
printf 'login: '
IFS= read -r user
[ -n "$HOST_ECHO_PASSWORD" ] || stty -echo
printf 'Password: '
IFS= read -r pass
stty echo
printf '\r\n'
if [ "$user" != "$HOST_USER" ] || [ "$pass" != "$HOST_PASSWORD" ]; then
    printf 'Login incorrect\r\n'
    exit 1
fi
if [ -n "$HOST_NO_PROMPT" ]; then
    while IFS= read -r line; do :; done
    exit 0
fi
cd "$HOST_HOME" || exit 1
while printf '%s' "${HOST_PROMPT:-\$ }" && IFS= read -r line; do
    [ -z "$HOST_LOG" ] || printf '%s\n' "$line" >> "$HOST_LOG"
    case "$line" in
    logout) exit 0 ;;
    cd | "cd "*)
        folder="${line#cd}"
        folder="${folder# }"
        cd "${folder:-$HOST_HOME}" || printf 'cd: %s: no such folder\r\n' "$folder" ;;
    *) sh -c "$line" ;;
    esac
done
