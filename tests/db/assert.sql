-- Checks for the database tests that run as one psql session: results collect in a temporary
-- table and kiv_report() prints the failures and "N passed, N failed".
CREATE TEMPORARY TABLE kiv_results (n serial, ok boolean, what text, detail text);

-- Runs a statement and rolls it back; returns the error message, or NULL when it ran.
CREATE FUNCTION pg_temp.kiv_try(statement text) RETURNS text LANGUAGE plpgsql AS $$
DECLARE
  message text;
BEGIN
  EXECUTE statement;
  RAISE EXCEPTION 'kiv: roll back';
EXCEPTION WHEN OTHERS THEN
  GET STACKED DIAGNOSTICS message = MESSAGE_TEXT;
  RETURN nullif(message, 'kiv: roll back');
END
$$;

-- Runs a statement for good; returns the error message, or NULL when it ran.
CREATE FUNCTION pg_temp.kiv_run(statement text) RETURNS text LANGUAGE plpgsql AS $$
DECLARE
  message text;
BEGIN
  EXECUTE statement;
  RETURN NULL;
EXCEPTION WHEN OTHERS THEN
  GET STACKED DIAGNOSTICS message = MESSAGE_TEXT;
  RETURN message;
END
$$;

CREATE FUNCTION pg_temp.kiv_check(what text, expected anycompatible, actual anycompatible) RETURNS void
LANGUAGE sql AS $$
  INSERT INTO pg_temp.kiv_results (ok, what, detail)
    VALUES (expected IS NOT DISTINCT FROM actual, what, format('expected [%s], got [%s]', expected, actual))
$$;

-- The statement fails with a message matching the pattern (and leaves nothing behind).
CREATE FUNCTION pg_temp.kiv_check_error(what text, pattern text, statement text) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
  message text := pg_temp.kiv_try(statement);
BEGIN
  INSERT INTO pg_temp.kiv_results (ok, what, detail)
    VALUES (coalesce(message ~ pattern, false), what,
            coalesce(format('error [%s] does not match [%s]', message, pattern), 'succeeded, expected an error'));
END
$$;

-- The statement runs (for good).
CREATE FUNCTION pg_temp.kiv_check_ok(what text, statement text) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
  message text := pg_temp.kiv_run(statement);
BEGIN
  INSERT INTO pg_temp.kiv_results (ok, what, detail) VALUES (message IS NULL, what, message);
END
$$;

CREATE FUNCTION pg_temp.kiv_report() RETURNS SETOF text LANGUAGE sql AS $$
  SELECT 'FAIL: ' || what || ': ' || coalesce(detail, '') FROM pg_temp.kiv_results WHERE NOT ok
  UNION ALL
  SELECT format('%s passed, %s failed', count(*) FILTER (WHERE ok), count(*) FILTER (WHERE NOT ok)) FROM pg_temp.kiv_results
$$;
