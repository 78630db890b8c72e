#!/usr/bin/env bash
# Makes this PC the office's table server with Debian's postgresql package:
# creates the program's role and database, optionally lets the desks of the
# office network in, and prints what each desk needs (the [DATABASE] lines
# for its Kanata195.ini and the line for its ~/.pgpass).
#
#   sudo scripts/office-server.sh [--network 192.168.1.0/24] [--name kanata195]
#                                 [--user kanata] [--new-password]
#
# Run it again to print the settings once more; the role's password is kept
# unless --new-password is given (it is shown only when it is set).
# OFFICE_SERVER_PSQL replaces the command that runs psql as the cluster's
# superuser (default: psql as the system user postgres).
set -euo pipefail

name=kanata195
user=kanata
network=
new_password=0
while [[ $# -gt 0 ]]; do
    case "$1" in
    --name) name=$2; shift 2 ;;
    --user) user=$2; shift 2 ;;
    --network) network=$2; shift 2 ;;
    --new-password) new_password=1; shift ;;
    -h | --help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "office-server: unknown argument $1" >&2; exit 2 ;;
    esac
done
for value in "$name" "$user"; do
    [[ "$value" =~ ^[a-z_][a-z0-9_]*$ ]] ||
        { echo "office-server: names are lower-case letters, digits and _: $value" >&2; exit 2; }
done

if [[ -n "$network" && ! "$network" =~ ^[0-9a-fA-F.:]+/[0-9]+$ ]]; then
    echo "office-server: --network takes an address range such as 192.168.1.0/24" >&2
    exit 2
fi

if [[ -n "${OFFICE_SERVER_PSQL:-}" ]]; then
    read -r -a psql_admin <<<"$OFFICE_SERVER_PSQL"
else
    command -v pg_lsclusters >/dev/null ||
        { echo "office-server: install the server first: sudo apt-get install postgresql" >&2; exit 1; }
    if [[ $(id -u) -eq 0 ]]; then
        psql_admin=(runuser -u postgres -- psql)
    else
        psql_admin=(sudo -u postgres psql)
    fi
fi
psql_admin+=(-X -q -v ON_ERROR_STOP=1 -d postgres)
query() { "${psql_admin[@]}" -At -c "$1"; }

password=
if [[ -z $(query "SELECT 1 FROM pg_roles WHERE rolname = '$user'") ]]; then
    new_password=1
    query "CREATE ROLE $user LOGIN" >/dev/null
fi
if [[ $new_password -eq 1 ]]; then
    password=$(head -c 18 /dev/urandom | base64 | tr '+/' 'xy')
    query "ALTER ROLE $user PASSWORD '$password'" >/dev/null
fi
# Text in the tables compares by bytes whatever the locale; UTF-8 is what
# the program sends. The character type must know more than ASCII, or the
# case-folded list orders leave full-width letters unfolded.
if [[ -z $(query "SELECT 1 FROM pg_database WHERE datname = '$name'") ]]; then
    query "CREATE DATABASE $name OWNER $user ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C.UTF-8' TEMPLATE template0" >/dev/null
fi

host=localhost
if [[ -n "$network" ]]; then
    hba=$(query "SHOW hba_file")
    rule="host $name $user $network scram-sha-256"
    grep -qxF "$rule" "$hba" || echo "$rule" >>"$hba"
    query "ALTER SYSTEM SET listen_addresses = '*'" >/dev/null
    # listen_addresses takes effect only at a restart.
    pg_ctlcluster "$(query "SHOW server_version" | cut -d. -f1)" main restart
    host=$(hostname -I | awk '{print $1}')
fi
port=$(query "SHOW port")

cat <<EOT
The server is ready. On each desk, put these lines into Kanata195.ini
(the work folder ~/.local/share/Tenko/Kanata195/):

[DATABASE]
Engine=postgresql
Host=$host
Port=$port
Name=$name
User=$user
SslMode=prefer

and this line into ~/.pgpass of the desk's user (chmod 600 ~/.pgpass):

EOT
if [[ -n "$password" ]]; then
    echo "*:$port:$name:$user:$password"
else
    echo "*:$port:$name:$user:(the password set before; --new-password sets a new one)"
fi
