#!/usr/bin/env bash
# The movement log written by the database on every change of a stock row's count
# (tests/db/move_log.sql, as the warehouse login "sevastova").
. "$(dirname "$0")/lib.sh"
kiv_fresh_database move_log
kiv_sql_checks sevastova "$KIV_ROOT/tests/db/move_log.sql"
kiv_done
