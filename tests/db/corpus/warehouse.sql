-- Statement corpus of the warehouses: receipt orders and their lines, finished goods and their
-- posting, movements and the movement log, material needs for issue.
-- Format as in core.sql.

-- TForm37 cnt_order_in: accepted lines of an order [rows]
select count(si.id) as cnt
from stk_stocks.spec_in si
where si.id_stock_in = 1 and si.accept=true

-- TForm37 Button3Click: an order deleted with its lines
delete from stk_stocks.stock_in where id=2

-- TForm39 department: the raw-material warehouses [rows]
SELECT s_caption, s_type, id FROM cmn_department.department d where d.type =2

-- TForm39 Button1Click: a new receipt order (date as the client's short date text)
INSERT INTO stk_stocks.stock_in (date_in, id_accomp_doc, id_jur_pers, id_department)VALUES('05.03.2024', '0123', 3, 4)

-- TForm39 Button1Click: a changed order header (the document number unquoted)
UPDATE stk_stocks.stock_in SET id_jur_pers=4, id_accomp_doc=0123, date_in='05.03.2024', id_department=4 where id=2

-- TForm38 spec_in: the lines of an order [rows]
select ii.marka, si.*, (si.price*si.cnt_gds) as summa, m.s_identification as msm_caption, (select ps.id_purchase_doc from stk_purchase.purchase_spec ps where si.id_purchase_spec =ps.id),
case when si.accept then 'ok' else 'no' end as plus 
from stk_stocks.spec_in si, cmn_inventory_items.inventory_items ii, cmn_msm.msm m
where si.id_gds = ii.id and si.id_msm = m.id and si.id_stock_in = 2
order by ii.marka, si.id

-- TForm38 cnt_stock: stock rows of a warehouse and item [rows]
select count(id) as cnt from stk_stocks.stock s where id_stock = 4
and s.id_ii = 7

-- TForm38 price_stock: the item's prices and count over all warehouses [rows]
select sum(price) as price, sum(count) as cnt from stk_stocks.stock s where id_ii=7

-- TForm38 Button3Click: the purchase line back into purchase
UPDATE stk_purchase.purchase_spec SET state=1 WHERE id=4

-- TForm38 Button3Click: a line not accepted deleted
delete from stk_stocks.spec_in where id=5

-- TForm38 DBGridEh1DblClick: the receiving warehouse's stock of the item grows
UPDATE stk_stocks.stock SET count=count+20, price=610 WHERE id_stock=4 AND id_ii=7

-- TForm38 DBGridEh1DblClick: the first stock row of an item in a warehouse
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, price)VALUES(4, 16, 20, 35.5)

-- TForm38 DBGridEh1DblClick: the line accepted
UPDATE stk_stocks.spec_in SET accept=true WHERE id=5

-- TForm38 DBGridEh1DblClick: its purchase line accepted
UPDATE stk_purchase.purchase_spec SET accept=true WHERE id=4

-- TForm38 DBGridEh1DblClick: its purchase request done
UPDATE stk_purchase.purchase_doc SET state=2 WHERE id=2

-- TForm38 DBGridEh1DblClick: the item's price on every stock row
UPDATE stk_stocks.stock SET price=610 WHERE id_ii=7

-- TForm38 DBGridEh1DblClick: the item's cost price
UPDATE cmn_inventory_items.inventory_items set cost_price = 610 WHERE id=7

-- TForm40 Button5Click: the item picker of receipt lines (types other than 1) [rows]
SELECT os.s_caption as s_type, ii.marka, massa, width, ral, ral_cons, thick, ii.id, id_nom,  n.s_caption s_nom, ii.id_type, ii.id_msm, (select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt, (CASE ral WHEN true THEN '+' END) as s_ral, m.s_identification, n.s_caption, NULL as s_caption_gds, 0::t_id as id_gds, 0.0 as cost_price, ii.massa_kg FROM cmn_inventory_items.inventory_items ii left join cmn_inventory_items.nomenclature n on  ii.id_nom = n.id left join cmn_msm.msm m on ii.id_msm = m.id left join mnf_operation.operation_state os on os.id = ii.id_type where ii.id_type != 1 and ii.id<>0 order by ii.marka

-- TForm40 Button1Click: a line typed by hand
INSERT INTO stk_stocks.spec_in(id_gds, id_stock_in, id_msm, cnt_gds, price) VALUES(3, 2, 2, 12.5, 295.5)

-- TForm40 Button1Click: a changed line
UPDATE stk_stocks.spec_in SET id_gds=7, id_stock_in=2, cnt_gds=18, price=600 where id=5

-- TForm65 purchase_spec: purchase lines in purchase [rows]
SELECT ps.id, ps.id_gds as id_ii, ii.marka ii_s_caption, ii.id_msm, 
m.s_identification as msm_s_caption, cnt, id_purchase_doc, ps.state, ps.gds_price,
case when ps.state=0 then 'Оформление' when ps.state=1 then 'Закупка' else 'На складе' end as s_state
FROM stk_purchase.purchase_spec ps 
left join cmn_inventory_items.inventory_items ii on ps.id_gds = ii.id
left join cmn_msm.msm m on m.id = ii.id_msm
where state=1

-- TForm65 Button2Click: a purchase line taken into the order
INSERT INTO stk_stocks.spec_in(id_gds, id_stock_in, id_msm, cnt_gds, price, id_purchase_spec) VALUES(6, 2, 1, 30, 560, 5)

-- TForm65 Button2Click: the purchase line on stock
UPDATE stk_purchase.purchase_spec SET state=2 WHERE id=5

-- TForm50 stock: finished-goods and blanks warehouses [rows]
select s.*, (s.count - s.reserve) as balance, ii.marka as ii_caption, d.s_caption d_caption 
from stk_stocks.stock s, cmn_inventory_items.inventory_items ii, 
cmn_department.department d 
where s.id_ii = ii.id and s.id_stock =d.id and (d."type" =0 or d."type" =1)

-- TForm51 stock_in: finished-goods receipt orders with the producing department [rows]
select si.*, d.s_caption as dep_caption, d1.s_caption as jp_caption
from stk_stocks.stock_in si, cmn_department.department d, cmn_department.department d1  
where si.id_department = d.id and si.id_jur_pers = d1.id and (d."type" =0 or d."type" =1)
order by si.id DESC

-- TForm51 Button3Click: an order without lines deleted
delete from stk_stocks.stock_in where id=4

-- TForm54 dep_from: the producing departments [rows]
SELECT s_caption, s_type, id FROM cmn_department.department d where d.type =-1

-- TForm54 dep_in: finished-goods and blanks warehouses [rows]
SELECT s_caption, s_type, id FROM cmn_department.department d where d.type =0 or d.type=1

-- TForm54 Button1Click: a new finished-goods receipt order
INSERT INTO stk_stocks.stock_in (date_in, id_accomp_doc, id_jur_pers, id_department)VALUES('05.03.2024', 0, 3, 6)

-- TForm57 Button1Click: the serving warehouse of an issue line
UPDATE stk_stocks.spec_out SET id_stock=5 WHERE id=12

-- TForm53 app_spec_in: request lines to take into stock [rows]
select as2.*, ii.marka, ii2.marka as ral_s_caption, 
(select max(s.cena)::t_money from accounts_dep.smena s where s.i_id=as2.id_ii and s.id_doc=as2.id_app_doc)*cnt::t_money as job_price_s, 
(as2.job_price + as2.gds_price)::t_money as one_price, case when as2.accept_stock=1 then '+' else '-' end as plus
from mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii, cmn_inventory_items.inventory_items ii2 where as2.state >2 and as2.done >0 and ii.id=as2.id_ii and accept_stock<>2 and ii2.id = as2.id_ral 
order by ii.marka, as2.id

-- TForm53 spec_in: the lines of a finished-goods order [rows]
select ii.marka, si.*, (si.price/si.cnt_gds)::t_money as one_price, m.s_identification as msm_caption, as2.id_app_doc, 
case when si.accept then 'ok' else 'no' end as plus 
from stk_stocks.spec_in si, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, mnf_app.app_spec as2 
where si.id_gds = ii.id and si.id_msm = m.id and as2.id = si.id_app_spec and si.id_stock_in = 3 order by ii.marka

-- TForm53 stock_price: the product's stock prices [rows]
select price as price,job_price as job_price, gds_price as gds_price, sum(count) as cnt from stk_stocks.stock s where id_ii=12 group by s.price, s.job_price, s.gds_price 

-- TForm53 cnt_stock: stock rows of a warehouse, product and colour [rows]
select count(id) as cnt from stk_stocks.stock s where id_stock = 6
and s.id_ii = 12 and s.id_ral=5

-- TForm53 q_job_price: the piece rates recorded for a product in a request [rows]
select sum(s.cena)::t_money as job_price from accounts_dep.smena s where s.i_id=13 and s.id_doc=2

-- TForm53 DBGridEh1DblClick: a line marked with its labour cost
UPDATE mnf_app.app_spec SET accept_stock=1, job_price=480 where id=4

-- TForm53 DBGridEh1DblClick: a line unmarked
UPDATE mnf_app.app_spec SET accept_stock=0, job_price=0 where id=4

-- TForm53 Button3Click: the receipt line of a posted request line
INSERT INTO stk_stocks.spec_in(id_gds, id_stock_in, id_msm, cnt_gds, price, id_app_spec, accept) VALUES(13, 4, 4, 30, 25500, 4, true)

-- TForm53 Button3Click: the warehouse's stock of the product and colour grows
UPDATE stk_stocks.stock SET count=count+30, price=850, job_price=16, gds_price=834 WHERE id_stock=6 AND id_ii=13 AND id_ral=7

-- TForm53 Button3Click: the first stock row of the product and colour
INSERT INTO stk_stocks.stock (id_stock, id_ii, id_ral, count, price, job_price, gds_price)VALUES(6, 13, 7, 30, 850, 16, 834)

-- TForm53 Button3Click: the new unit values in every warehouse
UPDATE stk_stocks.stock SET price=850, job_price=16, gds_price=834 WHERE id_ii=13 AND id_ral=7

-- TForm53 Button3Click: the product's cost price
UPDATE cmn_inventory_items.inventory_items set cost_price = 850 WHERE id=13

-- TForm53 Button3Click: the request line posted into the order
UPDATE mnf_app.app_spec SET accept_stock=2, id_stock_in=4 where id=4

-- TForm53 Button3Click: the line's shift records closed
UPDATE accounts_dep.smena SET ok='ok' where id_doc_item=4

-- TForm73 Stock: the departments as target warehouses [rows]
select * from cmn_department.department d

-- TForm73 balance: the target's free balance of the item [rows]
select count-reserve as balance from stk_stocks.stock where id_ii=9 and id_stock =5

-- TForm73 Button1Click: the source row decreased
UPDATE stk_stocks.stock SET count=count-5 WHERE id=9

-- TForm73 Button1Click: the target's first row of the item with the source's prices and colour
INSERT INTO stk_stocks.stock(id_stock, id_ii, count, price, reserve, gds_price, job_price, ral_price, id_ral) VALUES(6, 9, 5, 690, 0, 0, 0, 0, 0)

-- TForm73 Button1Click: the target's rows of the item increased
UPDATE stk_stocks.stock SET count=count+5 WHERE id_stock=4 AND id_ii=2

-- TForm74 stock: the movement log [rows]
select ii.marka, d.s_caption, case when sm.cnt>0 then 'Приход' else 'Расход' end as yesno, sm.*  from stk_stocks.stk_move sm, cmn_inventory_items.inventory_items ii, cmn_department.department d where sm.id_ii = ii.id and d.id = sm.id_stock order by d_date

-- TForm74 stocks: the warehouses [rows]
select * from cmn_department.department d where d.type>=0

-- TForm47 tp_operation: operations of the process of line 7 (stage 1) [rows]
SELECT as1.id , as1.cnt, pt.id as id_tp, o.id as id_operation, o.orderby
from mnf_proc_tech.proc_tech pt, mnf_app.app_spec as1, cmn_inventory_items.inventory_items ii, mnf_operation.operation o, mnf_operation.operation_type ot
where id_ii = ii.id and as1.state=1 and pt.id_inventory_items = ii.id and o.id_proc_tech = pt.id and o.id_type =ot.id and as1.id=7

-- TForm47 ral_stk: the paint issue line of line 7 [rows]
SELECT so.id_stock, so.id_gds
FROM stk_stocks.spec_out so, mnf_app.app_spec as2 where so.id_gds = as2.id_ral and so.id_app_spec=7

-- TForm47 ral_price: the cost of that paint line [rows]
SELECT (so.price*so.cnt_gds)::t_money as price, so.id_stock_out 
FROM stk_stocks.spec_out so where so.id_gds = 5 and id_app_spec=7

-- TForm47 Button1Click: the route of line 7 planned
INSERT INTO mnf_proc_tech.tp_operation(app_spec_id, tp_id, operation_id, done, cnt, orderby)VALUES(7, 3, 10008, 0, 12, 1)

-- TForm47 Button1Click: every issue line of line 7 issued
UPDATE stk_stocks.spec_out SET accept=true WHERE id_app_spec=7

-- TForm47 Button1Click: line 7 in production with its materials cost
UPDATE mnf_app.app_spec SET state=2, gds_price=38664 WHERE id=7
