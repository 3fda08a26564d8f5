# Shared helpers of the database scripts: server access as the postgres superuser, locks, settings.
# Sourced by db/start-server, db/create-database, db/test-database, db/drop-database, db/generate.

KIV_DB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
KIV_PG_VERSION=${KIV_PG_VERSION:-15}
KIV_PG_CLUSTER=${KIV_PG_CLUSTER:-main}
KIV_PG_PORT=5432
KIV_TEMPLATE=${KIV_TEMPLATE:-kiv_erp_template}
KIV_LOCK_DIR=${KIV_LOCK_DIR:-/tmp}

kiv_die() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# Runs a command as the postgres operating-system user; the server refuses root.
kiv_as_postgres() {
  if [ "$(id -un)" = postgres ]; then
    "$@"
  elif [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    sudo -n -u postgres -- "$@"
  fi
}

# psql as the superuser over the local socket; stops at the first error and prints no notices.
kiv_psql() {
  PGOPTIONS="--client-min-messages=warning ${PGOPTIONS:-}" \
    kiv_as_postgres psql -X -q -v ON_ERROR_STOP=1 -p "$KIV_PG_PORT" "$@"
}

# Prints a value of one query, or nothing.
kiv_query() {
  local db=$1
  shift
  kiv_psql -d "$db" -A -t -c "$*"
}

kiv_database_exists() {
  [ "$(kiv_query postgres "SELECT 1 FROM pg_database WHERE datname = '$1'")" = 1 ]
}

# Database names come from scripts and tests; keep them to plain identifiers so they need no quoting.
kiv_check_name() {
  [[ "$1" =~ ^[a-z_][a-z0-9_]{0,62}$ ]] || kiv_die "bad database name '$1' (lower-case letters, digits, _)"
}

# Per-database settings and rights are not copied with a template, so every database gets them
# again here. Only the project's groups connect; nobody makes temporary objects.
kiv_database_settings_sql() {
  cat <<SQL
ALTER DATABASE $1 SET datestyle = 'ISO, DMY';
ALTER DATABASE $1 SET search_path = public, cmn_inventory_items, mnf_app, accounts_dep;
ALTER DATABASE $1 SET client_encoding = 'UTF8';
REVOKE CONNECT, TEMPORARY ON DATABASE $1 FROM PUBLIC;
GRANT CONNECT ON DATABASE $1 TO kiv_read;
SQL
}

kiv_apply_database_settings() {
  kiv_database_settings_sql "$1" | kiv_psql -d postgres
}

# Fingerprint of everything the template is built from; a changed file rebuilds the template.
# The demo data is dated relative to the day it is loaded, so a new day rebuilds it as well.
kiv_source_fingerprint() {
  {
    date +%F
    cat "$KIV_DB_DIR"/schema/*.sql "$KIV_DB_DIR"/seed.sql "$KIV_DB_DIR"/roles.sql \
      "$KIV_DB_DIR"/demo-passwords "$KIV_DB_DIR"/create-database "$KIV_DB_DIR"/lib.sh
  } | sha1sum | cut -c1-40
}

# Runs "$@" holding a lock file: mode -s shared, -x exclusive.
kiv_with_lock() {
  local lock_mode=$1 lock_name=$2
  shift 2
  (
    flock "$lock_mode" 9
    "$@"
  ) 9>"$KIV_LOCK_DIR/kiv_erp_$lock_name.lock"
}
