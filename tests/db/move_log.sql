-- The movement log, as "sevastova" after tests/db/assert.sql: one stk_move row per change of a stock
-- row's count, with the signed change, the item's balance in the warehouse and the login.
CREATE FUNCTION pg_temp.moves() RETURNS bigint LANGUAGE sql AS 'SELECT count(*) FROM stk_stocks.stk_move';
CREATE FUNCTION pg_temp.last_move() RETURNS text LANGUAGE sql AS $$
  SELECT concat_ws(' ', cnt::numeric(20, 2), all_cnt::numeric(20, 2), s_user, id_stock, id_ii)
  FROM stk_stocks.stk_move ORDER BY id DESC LIMIT 1 $$;
SELECT pg_temp.moves() AS before \gset

-- A receipt and an issue (the move form's statements).
UPDATE stk_stocks.stock SET count=count+12.5 WHERE id_stock=4 AND id_ii=2;
SELECT pg_temp.kiv_check('receipt logged once', :before + 1, pg_temp.moves());
SELECT pg_temp.kiv_check('receipt: signed change, balance, login', '12.50 442.50 sevastova 4 2', pg_temp.last_move());
UPDATE stk_stocks.stock SET count=count-2.5, reserve=reserve+1 WHERE id_stock=4 AND id_ii=2;
SELECT pg_temp.kiv_check('issue signed', '-2.50 440.00 sevastova 4 2', pg_temp.last_move());

-- Reserve and prices alone move nothing; neither does a count set to itself.
UPDATE stk_stocks.stock SET reserve=reserve+5, price=price+1 WHERE id_stock=4 AND id_ii=2;
UPDATE stk_stocks.stock SET count=count WHERE id_stock=4;
SELECT pg_temp.kiv_check('no move without a change of count', :before + 2, pg_temp.moves());

-- A new stock row arrives with its count; a deleted row leaves with it.
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, price) VALUES (5, 1, 7, 2850);
SELECT pg_temp.kiv_check('new row logged', '7.00 7.00 sevastova 5 1', pg_temp.last_move());
DELETE FROM stk_stocks.stock WHERE id_stock = 5 AND id_ii = 1;
SELECT pg_temp.kiv_check('deleted row logged', '-7.00 0.00 sevastova 5 1', pg_temp.last_move());

-- One statement over two rows of an item in a warehouse (two colours): a move each, both with
-- the warehouse's balance after the statement.
INSERT INTO stk_stocks.stock (id_stock, id_ii, id_ral, count) VALUES (6, 12, 6, 3);
SELECT pg_temp.moves() AS two \gset
UPDATE stk_stocks.stock SET count=count+1 WHERE id_stock=6 AND id_ii=12;
SELECT pg_temp.kiv_check('two rows, two moves', :two + 2, pg_temp.moves());
SELECT pg_temp.kiv_check('balance over the colours', '15.00',
  (SELECT string_agg(DISTINCT all_cnt::numeric(20, 2)::text, ',') FROM stk_stocks.stk_move WHERE id > (SELECT max(id) - 2 FROM stk_stocks.stk_move)));

-- The log is written by the database only.
SELECT pg_temp.kiv_check_error('clients cannot write the log', 'permission denied',
  'INSERT INTO stk_stocks.stk_move (id_stock, id_ii, cnt, all_cnt) VALUES (4, 2, 1, 1)');
SELECT pg_temp.kiv_check_error('nor change it', 'permission denied', 'UPDATE stk_stocks.stk_move SET cnt = 0');
