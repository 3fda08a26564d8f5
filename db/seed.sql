-- Demo data: the reference rows the screens expect and a small enterprise with requests in every
-- stage of the road of an order, stock, purchases, shipments and a month of shift records.
-- Dates are relative to the day of loading, so the shift journal shows today's work.

-- Build stamp: no client has written its stamp yet; numeric literals use the point.
INSERT INTO public.ver (d, t, delim) VALUES (0, 0, '.');

-- Departments and warehouses. Row 0 is the "no department" that lists join on.
INSERT INTO cmn_department.department (id, s_caption, s_description, id_parent, type, s_type) VALUES
  (0, '(нет)', 'Нет подразделения', NULL, -1, ''),
  (1, 'Администрация', 'Руководство предприятия', 0, -1, ''),
  (2, 'Цех металлоконструкций', 'Резка, гибка, сварка и сборка', 0, -1, ''),
  (3, 'Участок покраски', 'Порошковая и жидкая покраска', 2, -1, ''),
  (4, 'Склад сырья', 'Металлопрокат, метизы, краски', 0, 2, 'Склад сырья'),
  (5, 'Склад заготовок', 'Заготовки собственного производства', 0, 1, 'Склад заготовок'),
  (6, 'Склад готовой продукции', 'Готовая продукция к отгрузке', 0, 0, 'Склад ГП'),
  (7, 'Отдел снабжения', '', 1, -1, ''),
  (8, 'Отдел маркетинга', '', 1, -1, ''),
  (9, 'Бухгалтерия', '', 1, -1, ''),
  (10, 'Ремонтная служба', 'Ремонт оборудования', 2, -1, '');

INSERT INTO hrms_staffpos.staffpos (id, s_caption, id_department, d_begin, s_description) VALUES
  (1, 'Директор', 1, DATE '2015-01-12', 'Руководит предприятием'),
  (2, 'Мастер участка', 2, DATE '2015-02-02', 'Закрывает сменные задания'),
  (3, 'Слесарь-сборщик', 2, DATE '2015-02-02', 'Сварка и сборка металлоконструкций'),
  (4, 'Маляр', 3, DATE '2016-03-01', 'Покраска изделий'),
  (5, 'Кладовщик', 4, DATE '2015-02-02', 'Приём и выдача ТМЦ'),
  (6, 'Менеджер по продажам', 8, DATE '2017-06-01', 'Заявки покупателей'),
  (7, 'Снабженец', 7, DATE '2017-06-01', 'Закупка материалов'),
  (8, 'Экономист', 9, DATE '2018-09-03', 'Отчёты и табели'),
  (9, 'Табельщик', 2, DATE '2018-09-03', 'Учёт рабочего времени'),
  (10, 'Системный администратор', 1, DATE '2015-01-12', 'Сопровождение КИВ.ERP');

INSERT INTO adm_role.roles (id, s_name, s_caption, d_begin, d_end, b_active) VALUES
  (1, 'admin', 'Администратор', DATE '2015-01-12', NULL, true),
  (2, 'master', 'Мастер', DATE '2015-01-12', NULL, true),
  (3, 'worker', 'Рабочий', DATE '2015-01-12', NULL, true),
  (4, 'store', 'Кладовщик', DATE '2015-01-12', NULL, true),
  (5, 'sales', 'Маркетинг', DATE '2017-06-01', NULL, true),
  (6, 'economist', 'Экономист', DATE '2018-09-03', NULL, true),
  (7, 'supply', 'Снабжение', DATE '2017-06-01', NULL, true),
  (8, 'archive', 'Архивная роль', DATE '2015-01-12', DATE '2019-12-31', false);

INSERT INTO cmn_contractor.person (id, s_caption, s_second_name, s_first_name, s_third_name, b_employee,
                                   id_staffpos, id_department, id_role) VALUES
  (1, 'Петров Сергей Иванович', 'Петров', 'Сергей', 'Иванович', true, 10, 1, 1),
  (2, 'Кузнецова Милена Андреевна', 'Кузнецова', 'Милена', 'Андреевна', true, 1, 1, 1),
  (3, 'Весновская Ольга Петровна', 'Весновская', 'Ольга', 'Петровна', true, 9, 2, 2),
  (4, 'Зубкова Ирина Викторовна', 'Зубкова', 'Ирина', 'Викторовна', true, 2, 2, 2),
  (5, 'Севастова Наталья Сергеевна', 'Севастова', 'Наталья', 'Сергеевна', true, 5, 4, 4),
  (6, 'Смирнова Елена Борисовна', 'Смирнова', 'Елена', 'Борисовна', true, 8, 9, 6),
  (7, 'Иванов Алексей Николаевич', 'Иванов', 'Алексей', 'Николаевич', true, 3, 2, 3),
  (8, 'Сидоров Павел Андреевич', 'Сидоров', 'Павел', 'Андреевич', true, 3, 2, 3),
  (9, 'Козлов Дмитрий Олегович', 'Козлов', 'Дмитрий', 'Олегович', true, 3, 2, 3),
  (10, 'Морозов Игорь Васильевич', 'Морозов', 'Игорь', 'Васильевич', true, 4, 3, 3),
  (11, 'Волков Андрей Сергеевич', 'Волков', 'Андрей', 'Сергеевич', true, 4, 3, 3),
  (12, 'Орлова Татьяна Михайловна', 'Орлова', 'Татьяна', 'Михайловна', true, 6, 8, 5),
  (13, 'Белов Николай Петрович', 'Белов', 'Николай', 'Петрович', true, 7, 7, 7),
  (14, 'Фёдоров Виктор Ильич', 'Фёдоров', 'Виктор', 'Ильич', false, 3, 2, 8);

-- The fixed logins of the client; the database checks their passwords (db/demo-passwords).
INSERT INTO adm_user.users (id, s_name, s_caption, d_registered, b_active, id_person) VALUES
  (1, 'sys', 'Администратор системы', DATE '2015-01-12', true, 1),
  (2, 'milena', 'Кузнецова М. А.', DATE '2015-01-12', true, 2),
  (3, 'vesnovskaya', 'Весновская О. П.', DATE '2018-09-03', true, 3),
  (4, 'zubkova', 'Зубкова И. В.', DATE '2016-04-11', true, 4),
  (5, 'sevastova', 'Севастова Н. С.', DATE '2016-04-11', true, 5),
  (6, 'econom', 'Смирнова Е. Б.', DATE '2018-09-03', true, 6);

-- Counterparty 1 is the enterprise itself: the production side orders for its own stock from it.
INSERT INTO cmn_contractor.jur_person (id, s_caption, s_full_caption, s_ogrn, s_inn) VALUES
  (1, 'КИВ', 'ООО «КИВ»', '1027700132195', '7701234567'),
  (2, 'СтройМонтаж', 'ООО «СтройМонтаж»', '1057746555811', '7722334455'),
  (3, 'Северсталь-метиз', 'АО «Северсталь-метиз»', '1023501236901', '3528000597'),
  (4, 'Краски Урала', 'ООО «Краски Урала»', '1116670012345', '6670123456'),
  (5, 'Григорьев', 'ИП Григорьев Андрей Викторович', '304770000123456', '772012345678'),
  (6, 'ТехноПрофиль', 'ООО «ТехноПрофиль»', '1135032001122', '5032123456'),
  (7, 'Промснаб', 'ООО «Промснаб»', '1187746300417', '7703445566');

-- Unit 4 is the piece: finished-goods receipts are written in it.
INSERT INTO cmn_msm.msm (id, s_caption, s_identification, s_code, n_round) VALUES
  (1, 'Килограмм', 'кг', '166', 3),
  (2, 'Метр', 'м', '006', 2),
  (3, 'Лист', 'лист', '736', 0),
  (4, 'Штука', 'шт', '796', 0),
  (5, 'Литр', 'л', '112', 3);

-- Item types: 0 bought, 1 finished product, 2 blank made in house, 3 paint.
INSERT INTO cmn_inventory_items.ii_type (id, s_caption) VALUES
  (0, 'Покупной материал'),
  (1, 'Готовая продукция'),
  (2, 'Заготовка'),
  (3, 'Краска RAL');

-- Nomenclature kind 7 holds the paints: their issue lines leave with the line's blank.
INSERT INTO cmn_inventory_items.nomenclature (id, s_caption, id_department) VALUES
  (0, '(нет)', NULL),
  (1, 'Металлопрокат', 4),
  (2, 'Метизы', 4),
  (3, 'Заготовки', 5),
  (4, 'Металлоконструкции', 6),
  (5, 'Стеллажи', 6),
  (6, 'Ограждения', 6),
  (7, 'Краски', 4);

-- Item 0 is the colour of unpainted lines ("no paint"), joined by the request-line lists.
INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_type, id_nom, id_msm, massa, massa_kg, width, thick,
                                                 ral, ral_cons, cost_price) VALUES
  (0, 'Без покраски', 3, 0, 4, 0, 0, 0, 0, false, 0, 0),
  (1, 'Лист г/к 2 мм 1250х2500', 0, 1, 3, 0, 49.06, 2500, 2, false, 0, 2850),
  (2, 'Труба профильная 40х20х2', 0, 1, 2, 0, 1.75, 6000, 2, false, 0, 310),
  (3, 'Уголок 50х50х5', 0, 1, 2, 0, 3.77, 6000, 5, false, 0, 290),
  (4, 'Болт М8х40', 0, 2, 4, 0, 0.02, 40, 8, false, 0, 4.5),
  (5, 'RAL 7035 светло-серый', 3, 7, 1, 0, 1, 0, 0, false, 0, 540),
  (6, 'RAL 5005 синий', 3, 7, 1, 0, 1, 0, 0, false, 0, 560),
  (7, 'RAL 3020 красный', 3, 7, 1, 0, 1, 0, 0, false, 0, 610),
  (8, 'Грунт ГФ-021', 3, 7, 1, 0, 1, 0, 0, false, 0, 320),
  (9, 'Заготовка стойки 2000', 2, 3, 4, 2.1, 3.7, 2000, 2, false, 0, 690),
  (10, 'Заготовка полки 1000х400', 2, 3, 4, 0.2, 6.3, 1000, 2, false, 0, 590),
  (11, 'Заготовка секции ограждения', 2, 3, 4, 9.5, 35.8, 2500, 5, false, 0, 2790),
  (12, 'Стеллаж СТ-2000', 1, 5, 4, 4, 41.2, 2000, 2, true, 1.2, 3950),
  (13, 'Полка П-1000', 1, 5, 4, 1, 6.3, 1000, 2, true, 0.4, 760),
  (14, 'Секция ограждения СО-2500', 1, 6, 4, 1, 35.8, 2500, 5, true, 0.8, 3400),
  (15, 'Кронштейн К-200', 1, 4, 4, 0.35, 1.1, 200, 2, false, 0, 1120),
  (16, 'Опора регулируемая', 1, 4, 4, 0, 0.4, 120, 0, false, 0, 0);

-- Product groups of the classifier: the average piecework rate of hourly work is taken per group.
INSERT INTO cmn_classifier.item (id, s_caption, id_level) VALUES
  (1, 'Продукция', 1),
  (2, 'Стеллажное оборудование', 2),
  (3, 'Ограждения', 2),
  (4, 'Металлоизделия', 2),
  (5, 'Хозяйственные работы', 2);

INSERT INTO accounts_dep.izdel (id, id_class_item) VALUES (12, 2), (13, 2), (14, 3), (15, 4), (16, 4);

INSERT INTO mnf_operation.operation_type (id, s_caption, s_description) VALUES
  (1, 'Резка', 'Резка металлопроката'),
  (2, 'Гибка', 'Гибка на листогибе'),
  (3, 'Сварка', 'Сварка узлов'),
  (4, 'Сборка', 'Сборка изделия'),
  (5, 'Покраска', 'Порошковая покраска'),
  (6, 'Упаковка', 'Упаковка и маркировка'),
  (7, 'Зачистка', 'Зачистка сварных швов');

INSERT INTO mnf_operation.operation_state (id, s_caption) VALUES
  (0, 'Готовая продукция'),
  (1, 'Заготовки');

INSERT INTO mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items, id_gds) VALUES
  (1, 'Стеллаж СТ-2000: сварка и покраска', 12, 9),
  (2, 'Полка П-1000: гибка и покраска', 13, 10),
  (3, 'Секция СО-2500: сварка и покраска', 14, 11),
  (4, 'Кронштейн К-200 из листа', 15, 1),
  (5, 'Заготовка стойки из трубы', 9, 2),
  (6, 'Заготовка полки из листа', 10, 1),
  (7, 'Заготовка секции из уголка', 11, 3);

-- The operations of each process in route order; the last step gives the finished product (state 0).
INSERT INTO mnf_operation.operation (id, id_proc_tech, orderby, id_type, id_state, price, id_inventory_items,
                                     id_gds_from, id_gds_to, f_qty_from) VALUES
  (10001, 1, 1, 3, 1, 35.50, 12, 9, 12, 4),
  (10002, 1, 2, 7, 1, 12.00, 12, NULL, NULL, NULL),
  (10003, 1, 3, 5, 1, 20.00, 12, NULL, NULL, NULL),
  (10004, 1, 4, 6, 0, 5.00, 12, 4, 12, 8),
  (10005, 2, 1, 2, 1, 8.00, 13, 10, 13, 1),
  (10006, 2, 2, 5, 1, 6.00, 13, NULL, NULL, NULL),
  (10007, 2, 3, 6, 0, 2.00, 13, NULL, NULL, NULL),
  (10008, 3, 1, 3, 1, 40.00, 14, 11, 14, 1),
  (10009, 3, 2, 5, 1, 15.00, 14, NULL, NULL, NULL),
  (10010, 3, 3, 6, 0, 4.00, 14, NULL, NULL, NULL),
  (10011, 4, 1, 1, 1, 3.00, 15, 1, 15, 0.35),
  (10012, 4, 2, 2, 0, 2.50, 15, NULL, NULL, NULL),
  (10013, 5, 1, 1, 1, 4.00, 9, 2, 9, 2.1),
  (10014, 6, 1, 1, 1, 5.00, 10, 1, 10, 0.2),
  (10015, 7, 1, 1, 1, 6.00, 11, 3, 11, 9.5);

-- Hourly work and its prices; the norms of the piece rates.
INSERT INTO accounts_dep.hourly_kind (id, s_caption, price) VALUES
  (7777, 'Хоз. работы', 150.00),
  (7778, 'Ср. сдельная', 120.00);

INSERT INTO accounts_dep.norm (o_id, norma, price, prize) VALUES
  (7777, 8, 150.00, 0),
  (7778, 8, 120.00, 0),
  (10001, 20, 35.50, 10),
  (10001, 25, 38.00, 15),
  (10003, 30, 20.00, 5),
  (10008, 10, 40.00, 10);

-- Purchases: one received, one in purchase, one made by the server for short paint.
INSERT INTO stk_purchase.purchase_doc (id, d_date, id_jur_person, id_person, d_in, id_app_doc, id_app_spec, state, is_ai) VALUES
  (1, current_date - 45 + TIME '09:30', 3, 13, current_date - 36, NULL, NULL, 2, 0),
  (2, current_date - 12 + TIME '11:05', 4, 13, current_date + 3, NULL, NULL, 1, 0),
  (3, current_date - 9 + TIME '15:40', NULL, 12, current_date + 15, 4, 9, 0, 1);

INSERT INTO stk_purchase.purchase_spec (id, id_purchase_doc, id_gds, id_app_spec, cnt, cnt_need, gds_price, state, accept) VALUES
  (1, 1, 1, NULL, 120, 120, 2850, 2, true),
  (2, 1, 2, NULL, 500, 500, 310, 2, true),
  (3, 1, 3, NULL, 300, 300, 290, 2, true),
  (4, 2, 7, NULL, 20, 20, 610, 2, false),
  (5, 2, 6, NULL, 30, 30, 560, 1, false),
  (6, 3, 5, 9, 6, 6, 0, 0, false);

-- Requests to production. 1 shipped; 2 made and partly on a shipment request; 3 in production;
-- 4 reserved and waiting for supply; 5 being drawn up; 6 the blank-production request for line 9.
INSERT INTO mnf_app.app_doc (id, d_date, id_jur_person, id_person, d_mnf, d_out, id_app_doc, id_app_spec, m_id, state) VALUES
  (1, current_date - 40 + TIME '10:15', 2, 12, current_date - 8, current_date - 2, 0, 0, 2, 1),
  (2, current_date - 33 + TIME '14:20', 6, 12, current_date - 3, current_date + 10, 0, 0, 2, 0),
  (3, current_date - 20 + TIME '09:00', 5, 12, current_date + 3, current_date + 7, 0, 0, 2, 0),
  (4, current_date - 10 + TIME '16:45', 2, 12, current_date + 15, current_date + 20, 0, 0, 2, 0),
  (5, current_date - 2 + TIME '12:30', 6, 12, current_date + 20, current_date + 25, 0, 0, 2, 0),
  (6, current_date - 9 + TIME '15:41', 2, 12, current_date + 15, current_date + 20, 4, 9, NULL, 0);

INSERT INTO mnf_app.app_spec (id, id_app_doc, id_ii, id_ral, id_gds, cnt, done, price, job_price, gds_price, cost_price,
                              accept, accept_stock, state, master_id, id_stock_in) VALUES
  (1, 1, 13, 5, 10, 20, 20, 980, 320, 3690.4, 760, true, 2, 5, 0, 3),
  (2, 2, 12, 5, 9, 10, 10, 4900, 725, 7718.4, 3950, true, 2, 4, 0, 3),
  (3, 2, 14, 6, 11, 15, 15, 4300, 885, 48570, 3400, true, 2, 3, 0, 3),
  (4, 2, 13, 7, 10, 30, 30, 990, 480, 25020, 760, true, 0, 3, 0, NULL),
  (5, 3, 12, 6, 9, 8, 5, 4950, 0, 10300.8, 3950, true, 0, 2, 0, NULL),
  (6, 3, 15, 0, 1, 100, 40, 1450, 0, 99750, 1120, true, 0, 2, 0, NULL),
  (7, 4, 14, 5, 11, 12, 0, 4300, 0, 0, 3400, true, 0, 1, 0, NULL),
  (8, 5, 12, 7, 9, 6, 0, 5100, 0, 0, 3950, false, 0, 0, 0, NULL),
  (9, 4, 13, 5, 10, 40, 0, 990, 0, 0, 760, false, 0, 1, 0, NULL),
  (10, 5, 15, 0, 1, 50, 0, 1500, 0, 0, 1120, false, 0, 0, 0, NULL),
  (11, 6, 10, 0, 1, 40, 0, 990, 0, 0, 590, false, 0, 0, -1, NULL);

INSERT INTO mnf_app.app_spec_ship (id_app_doc, id_ii, id_ral, cnt, shipped) VALUES
  (1, 13, 5, 20, 20),
  (2, 12, 5, 10, 6), (2, 14, 6, 15, 0), (2, 13, 7, 30, 0),
  (3, 12, 6, 8, 0), (3, 15, 0, 100, 0),
  (4, 14, 5, 12, 0), (4, 13, 5, 40, 0),
  (5, 12, 7, 6, 0), (5, 15, 0, 50, 0);

-- Routes of the lines issued into production; done counts what passed each step.
INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, orderby, cnt, done)
  SELECT as1.id, o.id_proc_tech, o.id, o.orderby, as1.cnt,
         CASE
           WHEN as1.state >= 3 THEN as1.cnt
           WHEN as1.id = 5 THEN CASE o.orderby WHEN 1 THEN 8 WHEN 2 THEN 5 ELSE 0 END
           WHEN as1.id = 6 THEN CASE o.orderby WHEN 1 THEN 100 WHEN 2 THEN 40 ELSE 0 END
         END
  FROM mnf_app.app_spec as1
  JOIN mnf_proc_tech.proc_tech pt ON pt.id_inventory_items = as1.id_ii
  JOIN mnf_operation.operation o ON o.id_proc_tech = pt.id
  WHERE as1.id IN (1, 2, 3, 4, 5, 6);

-- Receipt orders: raw materials accepted, paint partly accepted, finished goods posted, and an
-- empty finished-goods order waiting for line 4.
INSERT INTO stk_stocks.stock_in (id, date_in, d_datetime, id_jur_pers, id_department, id_accomp_doc) VALUES
  (1, current_date - 35, current_date - 35, 3, 4, '1245'),
  (2, current_date - 3, current_date - 3, 4, 4, '0077'),
  (3, current_date - 6, current_date - 6, 2, 6, '0'),
  (4, current_date, current_date, 3, 6, '0');

INSERT INTO stk_stocks.spec_in (id_stock_in, id_gds, id_msm, cnt_gds, price, accept, id_purchase_spec, id_app_spec) VALUES
  (1, 1, 3, 120, 2850, true, 1, NULL),
  (1, 2, 2, 500, 310, true, 2, NULL),
  (1, 3, 2, 300, 290, true, 3, NULL),
  (2, 5, 1, 40, 540, true, NULL, NULL),
  (2, 7, 1, 20, 610, false, 4, NULL),
  (3, 13, 4, 20, 21810.4, true, NULL, 1),
  (3, 12, 4, 10, 8443.4, true, NULL, 2),
  (3, 14, 4, 15, 49455, true, NULL, 3);

-- Issue lines of the lines taken into work (the issue of line 7 is not yet taken by the warehouse),
-- and the shipment lines.
INSERT INTO stk_stocks.stock_out (id, date_out, d_datetime, id_jur_pers, id_person, id_department, id_accomp_doc, state) VALUES
  (1, current_date - 2, current_date - 4 + TIME '10:00', 2, 12, NULL, '0', 1),
  (2, current_date + 10, current_date - 1 + TIME '17:10', 6, 12, NULL, '0', 0);

INSERT INTO stk_stocks.spec_out (id_stock_out, id_stock, id_gds, id_ral, id_app_doc, id_app_spec, cnt_gds, price,
                                 d_datetime, accept, so_state) VALUES
  (0, 5, 10, 0, 1, 1, 20, 590, current_date - 30, true, 0),
  (0, 4, 5, 0, 1, 1, 8, 540, current_date - 30, true, 0),
  (0, 5, 9, 0, 2, 2, 40, 690, current_date - 28, true, 0),
  (0, 4, 5, 0, 2, 2, 12, 540, current_date - 28, true, 0),
  (0, 5, 11, 0, 2, 3, 15, 2790, current_date - 27, true, 0),
  (0, 4, 6, 0, 2, 3, 12, 560, current_date - 27, true, 0),
  (0, 5, 10, 0, 2, 4, 30, 590, current_date - 25, true, 0),
  (0, 4, 7, 0, 2, 4, 12, 610, current_date - 25, true, 0),
  (0, 5, 9, 0, 3, 5, 32, 690, current_date - 12, true, 0),
  (0, 4, 6, 0, 3, 5, 9.6, 560, current_date - 12, true, 0),
  (0, 4, 1, 0, 3, 6, 35, 2850, current_date - 11, true, 0),
  (0, 5, 11, 0, 4, 7, 12, 2790, current_date - 5, false, 0),
  (0, 4, 5, 0, 4, 7, 9.6, 540, current_date - 5, false, 0),
  (1, 6, 13, 5, 1, 0, 20, 980, current_date - 4, true, 1),
  (2, 6, 12, 5, 2, 0, 6, 4900, current_date - 1, false, 0);

-- Stock as it stands after all of the above; the movement log records each row's arrival.
INSERT INTO stk_stocks.stock (id_stock, id_ii, id_ral, count, reserve, price, job_price, gds_price, ral_price) VALUES
  (4, 1, 0, 85, 0, 2850, 0, 0, 0),
  (4, 2, 0, 430, 0, 310, 0, 0, 0),
  (4, 3, 0, 226, 0, 290, 0, 0, 0),
  (4, 4, 0, 1800, 0, 4.5, 0, 0, 0),
  (4, 5, 0, 62.4, 9.6, 540, 0, 0, 0),
  (4, 6, 0, 33.6, 9.6, 560, 0, 0, 0),
  (4, 7, 0, 12, 0, 610, 0, 0, 0),
  (4, 8, 0, 25, 0, 320, 0, 0, 0),
  (5, 9, 0, 58, 0, 690, 0, 0, 0),
  (5, 10, 0, 25, 0, 590, 0, 0, 0),
  (5, 11, 0, 20, 12, 2790, 0, 0, 0),
  (6, 12, 5, 10, 6, 844.34, 72.5, 771.84, 0),
  (6, 14, 6, 15, 0, 3297, 59, 3238, 0),
  (6, 13, 5, 0, 0, 1090.52, 16, 1074.52, 0);

-- Movements since: the blanks and material written off by the work in progress.
UPDATE stk_stocks.stock SET count = count - 32 WHERE id_stock = 5 AND id_ii = 9;
UPDATE stk_stocks.stock SET count = count - 35 WHERE id_stock = 4 AND id_ii = 1;

-- A month of shift records, generated along the routes: every finished step of a line is spread
-- over the days before the next one, worked by the workers of the step's trade.
DO $$
DECLARE
  step record;
  days integer;
  day_index integer;
  work_day date;
  remaining numeric;
  qty numeric;
  worker integer;
  painters integer[] := ARRAY[10, 11];
  fitters integer[] := ARRAY[7, 8, 9];
  n integer := 0;
BEGIN
  FOR step IN
    SELECT t.app_spec_id AS line, t.operation_id AS op, t.orderby, t.done, as1.id_ii, as1.id_app_doc,
           as1.accept_stock, as1.id_ral, o.price, o.id_type,
           -- each line's route runs over its own window of days, ending today for the lines in work
           CASE as1.id WHEN 1 THEN 34 WHEN 2 THEN 30 WHEN 3 THEN 27 WHEN 4 THEN 24 WHEN 5 THEN 10 ELSE 8 END AS start_back,
           CASE as1.id WHEN 1 THEN 26 WHEN 2 THEN 16 WHEN 3 THEN 13 WHEN 4 THEN 6 ELSE 0 END AS end_back,
           count(*) OVER (PARTITION BY t.app_spec_id) AS steps
    FROM mnf_proc_tech.tp_operation t
    JOIN mnf_app.app_spec as1 ON as1.id = t.app_spec_id
    JOIN mnf_operation.operation o ON o.id = t.operation_id
    WHERE t.done > 0
    ORDER BY t.app_spec_id, t.orderby
  LOOP
    days := greatest(1, (step.start_back - step.end_back) / step.steps);
    remaining := step.done;
    day_index := 0;
    WHILE remaining > 0 LOOP
      work_day := current_date - step.start_back + (step.orderby - 1) * days + day_index;
      IF work_day > current_date - step.end_back THEN
        work_day := current_date - step.end_back;
      END IF;
      qty := least(remaining, ceil(step.done / days));
      IF step.id_type = 5 THEN
        worker := painters[1 + (n % 2)];
      ELSE
        worker := fitters[1 + (n % 3)];
      END IF;
      INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, prize, time, ok, vvod,
                                      color, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use)
        VALUES (work_day, 1 + (n % 2), worker, step.id_ii, step.op, step.price, qty,
                CASE WHEN n % 7 = 3 THEN 1 ELSE 0 END, CASE WHEN n % 5 = 0 THEN 10 ELSE 0 END,
                CASE WHEN n % 4 = 2 THEN 4 ELSE 8 END,
                CASE WHEN step.accept_stock = 2 THEN 'ok' ELSE 'no' END,
                work_day + TIME '17:30', CASE WHEN step.id_type = 5 THEN step.id_ral::integer ELSE 0 END,
                step.id_app_doc, step.line, NULL, NULL, 0);
      remaining := remaining - qty;
      day_index := day_index + 1;
      n := n + 1;
    END LOOP;
  END LOOP;
END
$$;

-- Today's work in both shifts, an overtime record and a record hidden from the journal ('ta').
-- Fixed ids 1001 to 1004 for the statements that name them.
INSERT INTO accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, prize, time, ok, vvod, color,
                                id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use) VALUES
  (1001, current_date, 1, 9, 12, 10002, 12.00, 1, 0, 0, 8, 'no', current_date + TIME '16:50', 0, 3, 5, 9, NULL, 0),
  (1002, current_date, 2, 8, 15, 10012, 2.50, 10, 1, 0, 8, 'no', current_date + TIME '23:40', 0, 3, 6, NULL, NULL, 0),
  (1003, current_date, 4, 7, 15, 10012, 2.50, 4, 0, 0, 2, 'no', current_date + TIME '20:15', 0, 3, 6, NULL, NULL, 0),
  (1004, current_date - 1, 1, 7, 15, 10012, 2.50, 2, 0, 0, 1, 'ta', current_date - 1 + TIME '17:00', 0, 3, 6, NULL, NULL, 0);
UPDATE mnf_app.app_spec SET done = done + 1 WHERE id = 5;
UPDATE mnf_proc_tech.tp_operation SET done = done + 1 WHERE app_spec_id = 5 AND orderby = 2;
UPDATE mnf_app.app_spec SET done = done + 14 WHERE id = 6;
UPDATE mnf_proc_tech.tp_operation SET done = done + 14 WHERE app_spec_id = 6 AND orderby = 2;

-- Materials recorded against some of the open records, ready for acceptance.
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, id_cons_use, f_qty_use)
  SELECT s.id, 4, NULL, 2 * s.kol_vo
  FROM accounts_dep.smena s WHERE s.id_doc_item = 5 AND s.ok = 'no' AND s.o_id = 10002
  ORDER BY s.id;
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, id_cons_use, f_qty_use) VALUES (1002, 1, NULL, 3.5);

-- Hourly work of the last days and its timesheet rows.
INSERT INTO accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
  SELECT v.id_nom, v.id_o, v.id_p, v.day, extract(month FROM v.day), extract(year FROM v.day), 1, v.cnt, v.price,
         v.holiday, v.night
  FROM (VALUES (5, 7777, 10, current_date - 3, 4, 150.00, 0, 0),
               (2, 7778, 11, current_date - 4, 8, 144.00, 0, 1),
               (5, 7777, 7, current_date - 1, 3, 150.00, 0, 0),
               (3, 7778, 9, current_date, 8, 120.00, 0, 0)) AS v(id_nom, id_o, id_p, day, cnt, price, holiday, night);

-- Timesheet rows of the shift records and of the hourly work.
DO $$
BEGIN
  PERFORM accounts_dep.set_shift_hours(k.w_id, k.smena, k.data)
  FROM (SELECT DISTINCT s.w_id, s.smena, s.data FROM accounts_dep.smena s) k;
END
$$;

DO $$
DECLARE
  f record;
BEGIN
  FOR f IN
    SELECT id_p, id_o, i_night, d_date, sum(cnt) AS hours FROM accounts_dep.fatigue
    GROUP BY id_p, id_o, i_night, d_date
  LOOP
    UPDATE accounts_dep.h_tabel SET w_id = w_id
      WHERE w_id = f.id_p AND i_type = f.id_o AND i_night = f.i_night
        AND month = extract(month FROM f.d_date) AND year = extract(year FROM f.d_date);
    IF NOT FOUND THEN
      INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, i_type, i_night)
        VALUES (f.id_p, 0, extract(month FROM f.d_date), extract(year FROM f.d_date), f.id_o, f.i_night);
    END IF;
    EXECUTE format('UPDATE accounts_dep.h_tabel SET %I = $1 WHERE w_id = $2 AND i_type = $3 AND i_night = $4 '
                   'AND month = $5 AND year = $6', 'd' || extract(day FROM f.d_date)::integer)
      USING f.hours, f.id_p, f.id_o, f.i_night, extract(month FROM f.d_date), extract(year FROM f.d_date);
  END LOOP;
END
$$;

-- Sequences continue after the ids given above.
DO $$
DECLARE
  s record;
  top bigint;
BEGIN
  FOR s IN
    SELECT format('%I.%I', tn.nspname, t.relname) AS table_name, a.attname AS column_name,
           format('%I.%I', sn.nspname, seq.relname) AS sequence_name
    FROM pg_class seq
    JOIN pg_namespace sn ON sn.oid = seq.relnamespace
    JOIN pg_depend d ON d.objid = seq.oid AND d.deptype = 'a'
    JOIN pg_class t ON t.oid = d.refobjid
    JOIN pg_namespace tn ON tn.oid = t.relnamespace
    JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = d.refobjsubid
    WHERE seq.relkind = 'S'
  LOOP
    EXECUTE format('SELECT max(%I) FROM %s', s.column_name, s.table_name) INTO top;
    IF top IS NOT NULL AND top >= 1 THEN
      PERFORM setval(s.sequence_name, greatest(top, (SELECT seqmin FROM pg_sequence WHERE seqrelid = s.sequence_name::regclass)));
    END IF;
  END LOOP;
END
$$;
