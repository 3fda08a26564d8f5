-- Cluster roles of the enterprise database: the owner, the groups that carry the rights, and the
-- fixed logins with their groups. Run by db/create-database as the superuser; idempotent.
-- Passwords are set by the script from db/demo-passwords, never here.
--
-- Groups:           kiv_read       reads everything, writes only the build stamp (ver)
--                   kiv_work       production work: requests, stocks, purchases, routes
--                   kiv_timesheet  timesheets and hourly work
--                   kiv_shift      the shift journal's records, materials and brigades (+ timesheet)
--                   kiv_accept     accepting shift records
--                   kiv_reference  reference data
--                   kiv_admin      everything above, users, and the database clean-up
--                   kiv_user       the rights of a login without fixed rights ("any other")

DO $$
DECLARE
  name text;
BEGIN
  FOREACH name IN ARRAY ARRAY['kiv_owner', 'kiv_read', 'kiv_work', 'kiv_timesheet', 'kiv_shift',
                              'kiv_accept', 'kiv_reference', 'kiv_admin', 'kiv_user'] LOOP
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = name) THEN
      EXECUTE format('CREATE ROLE %I NOLOGIN', name);
    END IF;
  END LOOP;
  FOREACH name IN ARRAY ARRAY['sys', 'milena', 'econom', 'vesnovskaya', 'zubkova', 'sevastova'] LOOP
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = name) THEN
      EXECUTE format('CREATE ROLE %I LOGIN', name);
    END IF;
  END LOOP;
END
$$;

GRANT kiv_read TO kiv_work, kiv_timesheet, kiv_shift, kiv_accept, kiv_reference, kiv_admin, kiv_user;
GRANT kiv_timesheet TO kiv_shift;
GRANT kiv_work, kiv_shift, kiv_accept, kiv_reference TO kiv_admin;
GRANT kiv_work, kiv_shift, kiv_reference TO kiv_user;

GRANT kiv_admin TO sys;
GRANT kiv_work, kiv_shift, kiv_accept, kiv_reference TO milena;
GRANT kiv_work, kiv_timesheet, kiv_accept TO vesnovskaya, zubkova, sevastova;
GRANT kiv_read TO econom;
