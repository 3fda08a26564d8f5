-- Statement corpus of the core: login, build stamp, the data module's shared queries, clean-up.
-- One entry per statement: a header "-- <form> <handler or query>: what" and the statement with
-- sample values where the client splices its own. [rows]: the demo data must give rows.
-- [corrected: why]: the screen's text is plainly wrong; the corrected text is kept here.

-- TDataModule6 user: the login's user lookup (TForm23 Button1Click) [rows]
select * from adm_user.users u where s_name = 'sys'

-- TDataModule6 ver: build stamp read by BuildStampCheck [rows]
select d, t, delim from ver

-- TDataModule6 ver: a newer client raises the stamp (also the first client of an empty table) [rows]
select public.raise_build_stamp(20240325, 54879)

-- TDataModule6 workers: employees with position, department and role [rows]
SELECT person.s_caption, s_second_name, s_first_name, s_third_name, b_employee, person.id, staff.s_caption s_staffpos, 
staff.id staff_id, dep.s_caption s_department, dep.id dep_id , roles.s_caption s_role, roles.id role_id 
from hrms_staffpos.staffpos staff, cmn_contractor.person person, cmn_department.department dep, adm_role.roles roles
where person.b_employee = true and staff.id=person.id_staffpos and dep.id=person.id_department and roles.id = person.id_role
order by s_caption

-- TDataModule6 department: departments with their parent's caption [rows]
select d.*, d1.s_caption s_parent from cmn_department.department d, cmn_department.v_department d1
where d.id_parent = d1.id
order by s_caption;

-- TDataModule6 staffpos: staff positions with their department [rows]
SELECT s.*, d.s_caption s_dep from hrms_staffpos.staffpos s, cmn_department.department d where d.id=s.id_department order by s.s_caption

-- TDataModule6 role: roles with the active mark [rows]
select *, case when b_active then '+' else '-' end as yesno from adm_role.roles order by s_caption

-- TDataModule6 jur_person: counterparties [rows]
select jp.* from cmn_contractor.jur_person jp
order by jp.s_caption

-- TDataModule6 nomenclature: nomenclature kinds with their department [rows]
select n.*, d.s_caption s_department from cmn_inventory_items.nomenclature n, cmn_department.department d where d.id=n.id_department
order by s_caption

-- TDataModule6 operation_type: operation types [rows]
select * from mnf_operation.operation_type order by s_caption

-- TDataModule6 inventory_items: inventory items with type, kind, unit and process [rows]
select ii.*, (CASE ii.ral WHEN true THEN '+' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds
where ii.id<>0
order by ii.marka

-- TDataModule6 proc_tech: technological processes with their total price [rows]
select (case when sum(o.price) is null then 0 else sum(o.price) end) as full_price, pt.id, pt.s_caption, ii.marka as s_ii, pt.id_inventory_items, pt.id_gds, ii2.marka s_gds
from mnf_proc_tech.proc_tech pt left outer join mnf_operation.operation o on pt.id = o.id_proc_tech
left join cmn_inventory_items.inventory_items ii on ii.id = pt.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id = pt.id_gds
group by pt.id, ii.marka, ii2.marka order by s_ii

-- TDataModule6 operation: the operations of one process (id_proc_tech = 1) [rows]
select distinct o.*, ot.s_caption s_type, ii.marka, os.s_caption s_state
from mnf_operation.operation o, mnf_operation.operation_type ot, cmn_inventory_items.inventory_items ii, mnf_operation.operation_state os
where ii.id=o.id_inventory_items and ot.id = o.id_type and o.id_proc_tech = 1 and os.id = o.id_state
order by orderby

-- TDataModule6 msm: the units table [rows]
select * from cmn_msm.msm

-- TDataModule6 stock: stock of the raw-material and blanks warehouses [rows]
select s.*, (s.count-s.reserve) as balance, ii.marka as ii_caption, d.s_caption d_caption
from stk_stocks.stock s, cmn_inventory_items.inventory_items ii, cmn_department.department d
where s.id_ii = ii.id and s.id_stock =d.id and (d."type" =2 or d."type" =1)

-- TDataModule6 stock_in: receipt orders with the count of lines not accepted [rows]
select si.*, jp.s_full_caption as jp_caption, d.s_caption as dep_caption, (select count(si2.id)
 from stk_stocks.spec_in si2 where si2.accept = false and si.id=si2.id_stock_in) as cnt_accept
from stk_stocks.stock_in si, cmn_contractor.jur_person jp, cmn_department.department d
where si.id_jur_pers = jp.id and si.id_department = d.id and d."type" <>0
group by si.id, jp.s_full_caption, d.s_caption
order by si.date_in desc, si.id

-- TDataModule6 app_doc: requests to production [rows]
SELECT ad.*, jp.s_full_caption s_jp_caption, p.s_caption s_person_caption, jp.id as id_jp,
case 
when ad.state=0 then 'Оформление' 
when ad.state=1 then 'Отгружено' 
else '' end as s_state
from mnf_app.app_doc ad, cmn_contractor.jur_person jp, cmn_contractor.person p
where ad.id_jur_person = jp.id and ad.id_person = p.id and ad.id_app_doc =0 
order by d_date DESC

-- TDataModule6 app_spec: request lines of one product (ii_id1 = ii_id2 = 12) with stock and supply state [rows]
SELECT distinct as1.id, case when ad1.id isnull then '' else 'В работе' end as id_ad, case when ps.id isnull then '' else 'В закупке' end as id_ps, as1.cnt-as1.done as cnt_done, as1.cnt, as1.done, as1.id_ii, as1.price, ii.marka ii_s_caption, m.s_identification as msm_s_caption, as1.id_app_doc, ii.ral_cons, as1.job_price, as1.gds_price, as1.cost_price, (ii.ral_cons*as1.cnt)::t_money as ral_need, ii2.marka as ral_s_caption, (ii.massa*as1.cnt)::t_money as gds_need, ii1.marka as gds_s_caption, ii1.id as id_gds, ii1.id_type as id_type_gds, case when ad.id_app_doc=0 then NULL else ad.id_app_doc end  as ad_id_app_doc, ad.d_mnf, ad.d_out, ad.id_jur_person, ad.id_person, ad.id_app_spec,
(select COALESCE(sum(distinct s.count-s.reserve),0) as stk_gds from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = pt.id_gds and pt.id_inventory_items = ii.id),
(select coalesce(sum(distinct s.count-s.reserve),0) as stk_ral from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = as1.id_ral),
case when as1.accept then 'Да' else 'Нет' end as yesno, as1.accept, (ii.massa)::t_money as massa_1gds, as1.id_ral, case when as1.accept_stock=2 then 'Да' else 'Нет' end as yesno_stk, as1.accept_stock, as1.state,
case when as1.state=0 then 'Оформление' when as1.state=1 then 'Склад' when as1.state=2 then 'Пр-во' when as1.state=3 then 'Готово' when as1.state=4 then 'Отгрузка' when as1.state=5 then 'Отгружено' else '' end as s_state
from cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_inventory_items.inventory_items ii1, mnf_proc_tech.proc_tech pt
left join mnf_app.app_spec as1 on as1.id_ii = 12
left join mnf_app.app_doc ad on ad.id = as1.id_app_doc 
left join cmn_inventory_items.inventory_items ii2 on ii2.id = as1.id_ral
left join mnf_app.app_doc ad1 on ad1.id_app_spec = as1.id 
left join stk_purchase.purchase_spec ps on ps.id_app_spec = as1.id 
where m.id = ii.id_msm and pt.id_inventory_items = ii.id and ii.id = 12 and ii1.id=pt.id_gds
order by as1.accept, as1.id_app_doc, as1.id

-- TDataModule6 spec_out: issue lines [rows]
SELECT ii.marka, ii.id as ii_id, ii.id_nom, d.s_caption , id_stock_out, id_stock, cnt_gds, d_datetime, so.accept, so.id, so.id_app_doc, m.s_identification as msm_caption, as2.id_ral,
case when so.accept then 'Да' else 'Нет' end as yesno, id_app_spec, ii.ral_cons, so.price, so.price*so.cnt_gds::t_money as all_price_gds
from stk_stocks.spec_out so, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_department.department d, mnf_app.app_spec as2
where ii.id = so.id_gds and ii.id_msm = m.id and d.id = so.id_stock and as2.id=id_app_spec
order by so.accept, id_app_spec, ii.marka

-- TDataModule6 Smena1: shift records of today, shift 1, ok <> 'ta' [rows]
select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, 
smena.id_cons_use, ii.marka as s_caption_color 
from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii 
where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and 
o.id_type=ot.id and smena.smena=1 and smena.data=current_date and ok!='ta' and smena.w_id= person.id 
order by  ii1.marka, fio,ot.s_caption, o.id

-- TDataModule6 Smena2: shift 2 of today [rows]
select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, 
smena.id_cons_use, ii.marka as s_caption_color 
from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii 
where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and 
o.id_type=ot.id and smena.smena=2 and smena.data=current_date and ok!='ta' and smena.w_id= person.id 
order by  ii1.marka, fio,ot.s_caption, o.id

-- TDataModule6 Smena4: overtime records of today [rows]
select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, 
smena.id_cons_use, ii.marka as s_caption_color 
from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii 
where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and 
o.id_type=ot.id and smena.smena=4 and smena.data=current_date and ok!='ta' and smena.w_id= person.id 
order by  ii1.marka, fio,ot.s_caption, o.id

-- TDataModule6 H_Tabel_1: timesheet of shift 1 for the current month [rows]
select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11
+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25
+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where 
h_tabel.w_id=person.s_code::integer and h_tabel.smena=1 and month=extract(month from current_date) and 
year=extract(year from current_date) order by fio

-- TDataModule6 H_Tabel_3: timesheet of shift 3 of March 2024
select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11
+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25
+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where 
h_tabel.w_id=person.s_code::integer and h_tabel.smena=3 and month=3 and 
year=2024 order by fio

-- TDataModule6 w_Report: old report by workers (reconstructed from its description) [rows]
select workers.fio, inventory_items.marka, vid_oper.vid, oper.naimen, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa
from accounts_dep.workers, accounts_dep.inventory_items, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper
where smena.w_id=workers.id and smena.i_id=inventory_items.id and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<current_date + 1 and 
smena.data>=current_date - 40
group by workers.fio, inventory_items.marka, vid_oper.vid, oper.naimen
order by fio

-- TDataModule6 i_Report: old report by products (reconstructed from its description) [rows]
select inventory_items.marka, vid_oper.vid, oper.naimen, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa
from accounts_dep.inventory_items, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper
where smena.i_id=inventory_items.id and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<current_date + 1 and 
smena.data>=current_date - 40
group by inventory_items.marka, vid_oper.vid, oper.naimen
order by marka

-- TForm1 N28Click: the database clean-up script, sent as one batch by sys
SELECT truncate_tables('mnf_app');
truncate table mnf_proc_tech.tp_operation;truncate table accounts_dep.smena;truncate table accounts_dep.h_tabel;truncate table accounts_dep.person_temp;SELECT truncate_tables('stk_stocks');SELECT truncate_tables('stk_purchase');update cmn_inventory_items.inventory_items set cost_price =0;

-- TForm4 Button3Click: delete a technological process with its operations (one without shift records)
delete from mnf_proc_tech.proc_tech where id=7

-- TForm4 Button5Click XLS_Rep: the hidden export of operations over the older names [rows]
select inventory_items.MARKA, vid_oper.VID, oper.NAIMEN, iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, oper.i_id, oper.VID as oper_vid from OPER,inventory_items,VID_OPER where OPER.i_id=Inventory_items.id and oper.vid=vid_oper.id order by inventory_items.marka, vid_oper.vid, oper.naimen

-- TForm33 full_price: total piece rate of a process [rows]
select sum(o.price) as full_price from mnf_operation.operation o  
where o.id_proc_tech = 1

-- TForm33 Button4Click: a new process
insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, id_gds)VALUES('Стеллаж СТ-2000 усиленный' ,12 ,9)

-- TForm33 max_id_pt: id of the process just inserted [rows]
SELECT pg_sequence_last_value('mnf_proc_tech.proc_tech_id_seq') as max_id;

-- TForm33 Button4Click: a changed process header
UPDATE mnf_proc_tech.proc_tech SET s_caption='Стеллаж СТ-2000: сварка, покраска', id_inventory_items=12, id_gds=9 where id=1

-- TForm33 Button3Click: delete an operation
delete from mnf_operation.operation where id=10015

-- TForm33 Button5Click: the product picker's statement (types other than 0, no order) [rows]
select ii.*, (CASE ii.ral WHEN true THEN 'Да' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds
where ii.id_type <> 0

-- TForm33 Button7Click: the source-material picker for a new process of a given product [rows]
select ii.*, (CASE ii.ral WHEN true THEN 'Да' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds
where ii.id_type <> 1 and ii.id_type <> 3

-- TForm33 Button7Click: the source-material picker over every item [rows]
select ii.*, (CASE ii.ral WHEN true THEN 'Да' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds
where ii.id_type <> -1

-- TForm10 max_num: next free position of an operation [rows]
select (case when max(o.orderby) is null then 0 else max(o.orderby) end) +1 as orderby from mnf_operation.operation o 
where o.id_proc_tech=1

-- TForm10 operation_state: the results offered (the table, filtered id<2 by the client) [rows]
select * from mnf_operation.operation_state

-- TForm10 Button1Click: a new operation
INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)VALUES(6,0 ,4.5, 12, 1, 5)

-- TForm10 Button1Click: a changed operation
UPDATE mnf_operation.operation SET id_type=7, id_state=1, price=13.25, id_inventory_items=12, orderby=2 WHERE id=10002
