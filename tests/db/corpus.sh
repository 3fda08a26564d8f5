#!/usr/bin/env bash
# Runs every statement of the screens (tests/db/corpus/*.sql) against the demo data as "sys",
# each in a transaction that is rolled back.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database corpus
python3 "$KIV_ROOT/tests/db/run_corpus.py" "$KIV_TEST_DB" sys "$(kiv_password sys)" "$KIV_ROOT"/tests/db/corpus/*.sql
