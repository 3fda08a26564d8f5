-- The clean-up function across schemas. Runs as the superuser (an administrator) in the role of
-- the owner, after assert.sql.
SELECT pg_temp.kiv_check_error('reference schema refused', 'очищать нельзя', $$SELECT truncate_tables('cmn_contractor')$$);
-- A production table of another schema referring to mnf_app goes with it.
CREATE TABLE stk_purchase.kivt_link (id integer REFERENCES mnf_app.app_doc (id));
INSERT INTO stk_purchase.kivt_link VALUES (2);
SELECT pg_temp.kiv_check('three tables emptied', 3, truncate_tables('mnf_app'));
SELECT pg_temp.kiv_check('with the table referring to them', '0|0',
  (SELECT (SELECT count(*) FROM mnf_app.app_doc) || '|' || (SELECT count(*) FROM stk_purchase.kivt_link)));
-- Reference data referring to it: refused, nothing emptied.
INSERT INTO mnf_app.app_doc (id, id_jur_person, id_person) VALUES (50, 2, 12);
CREATE TABLE cmn_classifier.kivt_link (id integer REFERENCES mnf_app.app_doc (id));
INSERT INTO cmn_classifier.kivt_link VALUES (50);
SELECT pg_temp.kiv_check_error('refused when reference data refers to it', 'ссылается', $$SELECT truncate_tables('mnf_app')$$);
SELECT pg_temp.kiv_check('nothing emptied', 1::bigint, (SELECT count(*) FROM mnf_app.app_doc));
