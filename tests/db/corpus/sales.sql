-- Statement corpus of marketing: requests to production and their lines, shipment requests,
-- shipment lines and shipping. Format as in core.sql.

-- TForm41 cnt_order_in: lines of a request taken into work [rows]
select count(as2.id) as cnt
from mnf_app.app_spec as2 
where as2.id_app_doc  = 2 and as2.state !=0 

-- TForm41 Button3Click: a request deleted with its lines
delete from mnf_app.app_doc where id=5

-- TForm43 Button1Click: a new request (dates as the client's short date text)
INSERT INTO mnf_app.app_doc(id_jur_person, id_person, d_mnf, d_out)VALUES(6, 12, '05.03.2024', '12.03.2024')

-- TForm43 Button1Click: a changed request header
UPDATE mnf_app.app_doc SET id_jur_person=2, id_person=12, d_mnf='05.03.2024', d_out='12.03.2024' where id=5

-- TForm42 app_spec: the lines of request 2 grouped by product, colour and price [rows]
select ad.id as id_app_doc, jp.s_full_caption, m.s_identification as msm_s_caption, ii.marka as ii_s_caption, ii1.marka as ral_s_code,p.s_caption as p_s_caption, as1.price,  
sum(as1.done) as done,sum(cnt) as cnt, min(as1.state) as state,
(select sum(s.count) from stk_stocks.stock s where s.id_ii=as1.id_ii and s.id_ral=as1.id_ral) as stk_cnt, ad.d_out, (as1.cost_price*1.2)::t_money as cost_price, as1.id_ii,
case when min(as1.state)=3 then 1 else 0 end as b_state,
case when min(as1.state)=0 then 'Оформление' when min(as1.state)=1 then 'Склад' when min(as1.state)=2 then 'Пр-во' when min(as1.state)=3 then 'Готово' when min(as1.state)=4 then 'Отгрузка' when min(as1.state)=5 then 'Отгружено' else '' end as s_state,
ad.id_person, as1.id_ral
from mnf_app.app_spec as1, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, mnf_app.app_doc ad, cmn_contractor.jur_person jp, cmn_inventory_items.inventory_items ii1, cmn_contractor.person p
where as1.id_ii = ii.id and m.id = ii.id_msm and ad.id =as1.id_app_doc
and jp.id = ad.id_jur_person and as1.id_ral = ii1.id and ad.id_person = p.id and as1.id_app_doc=2
group by jp.s_full_caption, m.s_identification, ii.marka, ii1.marka, as1.id_ii,as1.id_ral,ad.id_person,ad.d_out, as1.price, ad.id, as1.cost_price, as1.id_ii,p.s_caption
order by ii.marka,ad.id 

-- TForm42 app_spec: an unpainted line listed through colour 0 [rows]
select ii.marka as ii_s_caption, ii1.marka as ral_s_code from mnf_app.app_spec as1, cmn_inventory_items.inventory_items ii, cmn_inventory_items.inventory_items ii1
where as1.id_ii = ii.id and as1.id_ral = ii1.id and as1.id_app_doc=5 and as1.id_ral = 0

-- TForm42 in_work: the highest stage of a product and colour in a request [rows]
select max(as1.state) as state from mnf_app.app_spec as1 where as1.id_ii = 12 and as1.id_ral=7 and as1.id_app_doc=5

-- TForm42 Button3Click: the lines of a product and colour deleted
delete from  mnf_app.app_spec where id_ii=12 and id_ral=7 and id_app_doc=5

-- TForm44 ral: the colours [rows]
select ii.id, ii.marka as s_code from cmn_inventory_items.inventory_items ii where ii.id_type =3 and id<>0  order by s_code

-- TForm44 cost_price: the product's cost price with and without 20% [rows]
select (ii.cost_price*1.2)::t_money as cost_price,(ii.cost_price)::t_money as cost_price_20 from cmn_inventory_items.inventory_items ii
where ii.id=12

-- TForm44 cnt_ii: lines of a product and colour in a request [rows]
SELECT count(*) as cnt FROM mnf_app.app_spec as1 where id_ii =12 and as1.id_app_doc = 5 and as1.id_ral = 7

-- TForm44 Button5Click: the product picker (types other than 0, filtered tp_cnt>0 by the client) [rows]
select ii.*, (CASE ii.ral WHEN true THEN 'Да' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom, s_identification, (select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds from cmn_inventory_items.inventory_items ii left join cmn_inventory_items.ii_type it on ii.id_type = it.id left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id left join  cmn_msm.msm m on m.id = ii.id_msm left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds where ii.id_type <> 0 and ii.id <> 0 order by ii.marka

-- TForm44 Button1Click: a new line
INSERT INTO mnf_app.app_spec(id_ii, cnt, id_app_doc, id_ral, id_gds, price, cost_price, master_id)VALUES(14, 4.5, 5, 6,11, 4300.5, 3400,0)

-- TForm44 Button1Click: its shipment counter
INSERT INTO mnf_app.app_spec_ship(id_ii, id_app_doc, id_ral, cnt)VALUES(14, 5, 6, 4.5)

-- TForm67 stock_out: shipment requests [rows]
select so.*, jp.s_full_caption as jp_caption, p.s_caption as p_caption,
case 
when so.state=0 then 'Отгрузка' 
when so.state=1 then 'Отгружено' 
else '' end as s_state
from stk_stocks.stock_out so
left join cmn_contractor.jur_person jp on so.id_jur_pers = jp.id
left join cmn_contractor.person p on so.id_person = p.id
order by so.id DESC

-- TForm68 Button1Click: a new shipment request
INSERT INTO stk_stocks.stock_out(id_person, id_jur_pers, id_accomp_doc, date_out)VALUES(12, 6, 0, '05.03.2024')

-- TForm69 app_spec: the lines of shipment request 2 [rows]
SELECT ii.marka as s_ii, m.s_identification as s_msm, ii1.marka as s_ral, d.s_caption as s_stock_out, ii.id as id_ii,
case 
when so.so_state=0 then 'Отгрузка' 
when so.so_state=1 then 'Отгружено' 
end as s_state, so.*
from stk_stocks.spec_out so, cmn_inventory_items.inventory_items ii, cmn_department.department d, cmn_inventory_items.inventory_items ii1, cmn_msm.msm m
where so.id_stock_out =2 and ii.id = so.id_gds and so.id_stock = d.id and ii1.id=so.id_ral and m.id =ii.id_msm
order by s_ii, id

-- TForm69 all_shipped: what is ordered and not yet on shipment lines [rows]
select cnt - shipped as all_shipped from mnf_app.app_spec_ship ash where id_ii = 12 and id_ral=5 and id_app_doc =2

-- TForm69 all_sh_app_doc: the lowest stage of a request's lines [rows]
select min(state) as min_state from mnf_app.app_spec ad where id_app_doc =2

-- TForm69 all_sh_so: the lowest state of a shipment request's lines [rows]
select min(so_state) as min_state from stk_stocks.spec_out ad where id_stock_out =2

-- TForm69 Button3Click: a shipment line deleted
delete from  stk_stocks.spec_out where id=15

-- TForm69 Button3Click: its quantity off the shipment counter
UPDATE mnf_app.app_spec_ship SET shipped=shipped-6 WHERE id_ii=12 AND id_ral=5 AND id_app_doc=2

-- TForm69 Button3Click: its reserve released
UPDATE stk_stocks.stock SET reserve=reserve-6 where id_ii=12 and id_ral=5 and id_stock=6

-- TForm69 Button5Click: the request lines shipped
UPDATE mnf_app.app_spec SET state=5 WHERE id_ii=12 AND id_ral=5 AND id_app_doc=2 AND state=4

-- TForm69 Button5Click: the request to production shipped
UPDATE mnf_app.app_doc SET state=1 WHERE id=2

-- TForm69 Button5Click: the shipment line shipped
UPDATE stk_stocks.spec_out SET so_state=1 where id=15

-- TForm69 Button5Click: the quantity out of stock and its reserve
UPDATE stk_stocks.stock SET count=count-6, reserve=reserve-6 where id_ii=12 and id_ral=5 and id_stock=6

-- TForm69 Button5Click: the shipment request shipped
UPDATE stk_stocks.stock_out SET state=1 WHERE id=2

-- TForm69 DBGridEh1DblClick: the warehouse flips a line's mark
UPDATE stk_stocks.spec_out SET accept=(not accept) where id=15

-- TForm70 app_spec: what production made and is not yet on shipment lines [rows]
select ad.id as id_app_doc, jp.s_full_caption, m.s_identification, ii.marka as ii_s_caption, ii1.marka as ral_s_caption,p.s_caption as p_s_caption, as1.price,  sum(as1.done) as done,
ash.shipped, sum(as1.done)-ash.shipped as done_shipped, ash.cnt,
(select sum(s.count-s.reserve) from stk_stocks.stock s where s.id_ii=as1.id_ii and s.id_ral=as1.id_ral) as stk_cnt, ad.d_out, as1.id_ii,
ad.id_person, as1.id_ral
from mnf_app.app_spec as1, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, mnf_app.app_doc ad, cmn_contractor.jur_person jp, cmn_inventory_items.inventory_items ii1, cmn_contractor.person p, mnf_app.app_spec_ship ash
where(as1.state=3 or as1.state=4) and as1.accept_stock =2 and as1.id_ii = ii.id and m.id = ii.id_msm and ad.id =as1.id_app_doc
and jp.id = ad.id_jur_person and as1.id_ral = ii1.id and ad.id_person = p.id and ash.id_ii = as1.id_ii and ash.id_ral = as1.id_ral and ash.id_app_doc = as1.id_app_doc
group by jp.s_full_caption, m.s_identification, ii.marka, ii1.marka, ash.shipped,as1.id_ii,as1.id_ral,ad.id_person,ad.d_out, as1.price, as1.cost_price,as1.id_ii,p.s_caption, ad.id, ash.cnt
order by d_out, p.s_caption, ii.marka

-- TForm70 ii_in_spec: a shipment request's lines of a product and colour [rows]
select * from stk_stocks.spec_out so where so.id_gds = 12 and so.id_stock_out = 2 and so.id_ral=5

-- TForm71 stock: warehouses with free product 14 in colour 6 [rows]
SELECT d.id as id_stock, d.s_caption, s.count-s.reserve as cnt, s.id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s - свободно %s %s'::text,d.s_caption, ii.marka, (s.count-s.reserve)::numeric(10,2), m.s_identification) AS s_full_caption
from cmn_department.department d, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, stk_stocks.stock s
where s.id_ii = ii.id and m.id = ii.id_msm and d.id = s.id_stock and ii.id=14 and s.count-s.reserve>0 and s.id_ral=6

-- TForm70 Button1Click: a shipment line
INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, id_app_spec, id_app_doc, id_stock, id_ral)VALUES(14, 2, 5, 4300, 0, 2, 6, 6)

-- TForm70 Button1Click: the request lines on shipment
UPDATE mnf_app.app_spec SET state=4  WHERE id_ii=14 AND id_ral=6 AND id_app_doc=2 AND state=3

-- TForm70 Button1Click: the shipment counter
UPDATE mnf_app.app_spec_ship SET shipped=shipped+5 WHERE id_ii=14 AND id_ral=6 AND id_app_doc=2

-- TForm70 Button1Click: the quantity reserved in the warehouse
UPDATE stk_stocks.stock SET reserve=reserve+5 where id_ii=14 and id_ral=6 and id_stock=6
