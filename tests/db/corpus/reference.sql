-- Statement corpus of the reference-data screens: departments, personnel, positions, roles,
-- counterparties, nomenclature kinds, inventory items, operation types and piece-rate norms.
-- Format as in core.sql.

-- TForm31 cb_department: the parent list (table ordered by s_caption) [rows]
select * from cmn_department.department order by s_caption

-- TForm31 Button1Click: a new department that is no warehouse
insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)VALUES('Участок сборки' ,'Сборка стеллажей', 2, -1,'')

-- TForm31 Button1Click: a new raw-material warehouse without a parent
insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)VALUES('Склад сырья №2' ,'', 0, 2,'Склад сырья')

-- TForm31 Button1Click: a changed department (the kind index is quoted)
UPDATE cmn_department.department SET s_caption='Склад готовой продукции', s_description='Готовая продукция', id_parent=0, type='0', s_type='Склад ГП' where id=6

-- TForm30 Button3Click: delete a department nobody refers to
delete from cmn_department.department where id=10

-- TForm2 staffpos, department, roles: the card's lookup tables [rows]
select * from hrms_staffpos.staffpos order by s_caption

-- TForm2 roles: the card's role list [rows]
select * from adm_role.roles order by s_caption

-- TForm2 Button1Click: a new employee
INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, s_third_name, id_staffpos, id_department, id_role)VALUES('Никитин Олег Павлович', 'Никитин', 'Олег', 'Павлович', 3, 2, 3)

-- TForm2 Button1Click: a changed employee
UPDATE cmn_contractor.person SET s_caption='Иванов Алексей Николаевич', s_second_name='Иванов', s_first_name='Алексей', s_third_name='Николаевич', id_staffpos=3, id_department=2, id_role=3 where cmn_contractor.person.id=7

-- TForm5 Button3Click: delete an employee with nothing recorded
delete from cmn_contractor.person where id =14

-- TForm27 Button1Click: a new staff position
insert into hrms_staffpos.staffpos(s_caption, s_description, id_department)VALUES('Оператор листогиба' ,'Гибка листа', 2)

-- TForm27 Button1Click: a changed staff position without a department
UPDATE hrms_staffpos.staffpos SET s_caption='Маляр', s_description='Покраска', id_department=0 where id=4

-- TForm26 Button3Click: delete a staff position nobody holds
delete from hrms_staffpos.staffpos where id=10 and not exists (select 1 from cmn_contractor.person where id_staffpos = 10)

-- TForm58 Button5Click: a new active role
INSERT INTO adm_role.roles(s_name, s_caption, d_begin, b_active)VALUES('planner', 'Планировщик', now()::t_date, 1::t_boolean)

-- TForm58 Button5Click: a role saved active
UPDATE adm_role.roles SET s_caption='Архивная роль', s_name= 'archive', b_active= 1::t_boolean, d_begin=now()::t_date, d_end=NULL where id=8

-- TForm58 Button5Click: a role saved inactive
UPDATE adm_role.roles SET s_caption='Снабжение', s_name= 'supply', b_active= 0::t_boolean, d_end=now()::t_date where id=7

-- TForm34 CheckBox1Click: counterparties with purchase requests [rows]
SELECT distinct  jp.* FROM cmn_contractor.jur_person jp, stk_purchase.purchase_doc pd where pd.id_jur_person = jp.id  order by jp.id

-- TForm34 Button3Click: delete a counterparty nobody refers to
delete from cmn_contractor.jur_person where id=7

-- TForm34 Button2Click Tag 60: the chosen counterparty goes on the purchase request at once
UPDATE stk_purchase.purchase_doc SET id_jur_person=4 where id=3

-- TForm14 Button5Click: a new counterparty with the full name only
INSERT INTO cmn_contractor.jur_person(s_caption, s_full_caption, s_ogrn, s_inn)VALUES('','ООО «Новый клиент»' ,'', '')

-- TForm14 Button5Click: a changed counterparty
UPDATE cmn_contractor.jur_person  SET s_caption='СтройМонтаж', s_full_caption='ООО «СтройМонтаж»', s_ogrn='1057746555811', s_inn='7722334455' WHERE id=2

-- TForm29 Button1Click: a new nomenclature kind
insert into cmn_inventory_items.nomenclature(s_caption, id_department)VALUES('Крепёж' ,4)

-- TForm29 Button1Click: a changed nomenclature kind without a department
UPDATE cmn_inventory_items.nomenclature SET s_caption='Метизы', id_department=0 where id=2

-- TForm28 Button3Click: delete a nomenclature kind without items
delete from cmn_inventory_items.nomenclature where id=6 and not exists (select 1 from cmn_inventory_items.inventory_items where id_nom = 6)

-- TForm3 pt_cnt: technological processes of one item [rows]
select count(*) as cnt from mnf_proc_tech.proc_tech pt where pt.id_inventory_items = 12

-- TForm7 nomenclature, operation_state, msm: the card's lookup tables [rows]
select id, s_caption from cmn_inventory_items.ii_type

-- TForm7 msm: the card's unit table [rows]
select id, s_code, s_caption, s_identification, n_round from cmn_msm.msm

-- TForm7 Button1Click: a new painted item
insert into cmn_inventory_items.inventory_items(marka, id_nom, massa,id_type, width, thick, ral, id_msm, ral_cons,massa_kg)VALUES('Стеллаж СТ-1500' , 5, 3, 1, 1500, 2, 1::t_boolean, 4, 0.9, 31.5)

-- TForm7 Button1Click: a new item without a kind, unpainted
insert into cmn_inventory_items.inventory_items(marka, id_nom, massa,id_type, width, thick, ral, id_msm, ral_cons,massa_kg)VALUES('Шайба М8' , 0, 0, 0, 0, 0, 0::t_boolean, 4, 0, 0)

-- TForm7 Button1Click: a changed item
UPDATE cmn_inventory_items.inventory_items SET marka='Полка П-1000', massa=1, id_nom=5, id_type=1, width=1000, thick=2, ral=1::t_boolean, id_msm=4, ral_cons=0.45, massa_kg=6.3 where id=13

-- TForm3 Button3Click: delete an item nothing refers to
delete from cmn_inventory_items.inventory_items where id=16

-- TForm303 inventory_items: the item picker's own query (the opener's condition) [rows]
select ii.*, (CASE ii.ral WHEN true THEN '+' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds

-- TForm9 Button1Click: a new operation type
insert into mnf_operation.operation_type(s_caption, s_description)VALUES('Шлифовка' ,'Шлифовка кромок')

-- TForm9 Button1Click: a changed operation type
UPDATE mnf_operation.operation_type SET s_caption='Покраска', s_description='Порошковая покраска в камере' where id=5

-- TForm8 Button3Click: delete an operation type no operation uses
delete from mnf_operation.operation_type where id=4

-- TForm22 norm: the norms table of one operation (filtered o_id=10001 by the client) [rows]
select * from accounts_dep.norm order by norma

-- TForm22 DBGrid1ColExit: a norm typed into the grid
insert into accounts_dep.norm (o_id, norma, price, prize) values (10003, 35, 22.5, 5)

-- TForm22 DBGrid1ColExit: a changed norm
update accounts_dep.norm set price = 36.25 where id = 3

-- TForm22 Button2Click: a deleted norm
delete from accounts_dep.norm where id = 4

-- TForm33 Button4Click: a new process, its id returned by the insert itself (values bound by the client)
insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, id_gds)VALUES('O''Brien; DROP TABLE x; --', 16, 1) RETURNING id

-- TForm10 operation_state: the two results an operation may give [rows]
select * from mnf_operation.operation_state where id<2 order by id

-- TForm31 Button1Click: a department whose name holds a quote, a semicolon and a comment mark (bound values)
insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)VALUES('O''Brien; DROP TABLE x; --', '', 0, -1, '')

-- TForm34 FormClose: the counterparties list's own text after a picker changed it [rows]
select jp.* from cmn_contractor.jur_person jp
order by jp.s_caption
