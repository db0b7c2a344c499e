-- Tables behind the code lists (host/qxcommon/CodeLists.cpp) and behind the direct
-- reads of the product and risk tables. Applied by the host to its own database and
-- reused by the application server for the same tables.
--
-- Portable between SQLite and PostgreSQL: VARCHAR, NUMERIC and INTEGER only, no
-- engine-specific defaults. Re-running the file changes nothing.
-- Text widths are characters. Record fields hold GBK bytes (a 61-byte name field
-- holds 60 bytes: 30 Chinese characters); whoever fills a record cuts at a
-- character boundary.
-- Codes are the keys the records carry: a code of n characters travels in n + 1 bytes.
-- Identifiers (n_..._id) are assigned by the application server, not by the engine.

-- 20108: currencies (合同限额币种).
CREATE TABLE IF NOT EXISTS t_currency (
    c_cur_cde       VARCHAR(2)   NOT NULL PRIMARY KEY,
    c_cur_nme       VARCHAR(30)  NOT NULL
);

-- 20142: countries and regions (国家地区).
CREATE TABLE IF NOT EXISTS t_country (
    c_country_cde   VARCHAR(30)  NOT NULL PRIMARY KEY,
    c_country_nme   VARCHAR(60)  NOT NULL
);

-- 20317: company properties (公司属性), one letter each.
CREATE TABLE IF NOT EXISTS t_com_property (
    c_prop_cde      VARCHAR(1)   NOT NULL PRIMARY KEY,
    c_prop_nme      VARCHAR(30)  NOT NULL
);

-- 20265: products (险种).
CREATE TABLE IF NOT EXISTS t_prd_prod (
    c_prod_no       VARCHAR(4)   NOT NULL PRIMARY KEY,
    c_nme_cn        VARCHAR(50)  NOT NULL
);

-- 20323: product classes (险类).
CREATE TABLE IF NOT EXISTS t_prd_class (
    c_class_no      VARCHAR(4)   NOT NULL PRIMARY KEY,
    c_nme_cn        VARCHAR(50)  NOT NULL
);

-- 20179: risk levels per treaty year, with the retention (自留限额) and the largest
-- facultative amount of each level.
CREATE TABLE IF NOT EXISTS t_risk_cde (
    c_year          VARCHAR(4)   NOT NULL,
    c_risk_lvl_cde  VARCHAR(6)   NOT NULL,
    c_risk_lvl_nme  VARCHAR(30),
    n_keep_amt      NUMERIC,
    n_max_fac_amt   NUMERIC,
    PRIMARY KEY (c_year, c_risk_lvl_cde)
);

-- The risk levels that apply to each product (narrows the risk-level list).
CREATE TABLE IF NOT EXISTS t_risk_lvl (
    c_prod_no       VARCHAR(4)   NOT NULL,
    c_risk_lvl_cde  VARCHAR(6)   NOT NULL,
    PRIMARY KEY (c_prod_no, c_risk_lvl_cde)
);

-- 20313: reinsurers and brokers (_RICompanyStruct). c_com_kind 'A' reinsurer,
-- anything else broker; c_lapsed 'N' not lapsed.
CREATE TABLE IF NOT EXISTS t_ri_company (
    c_ri_cde        VARCHAR(4)   NOT NULL PRIMARY KEY,
    c_nme_cn        VARCHAR(60)  NOT NULL,
    c_nme_en        VARCHAR(60),
    c_abbr          VARCHAR(10),
    c_addr          VARCHAR(500),
    c_tel           VARCHAR(30),
    c_fax           VARCHAR(20),
    c_busi_type     VARCHAR(1),
    c_com_prop      VARCHAR(1),
    c_bill_type     VARCHAR(1),
    c_pay_mode      VARCHAR(1),
    c_com_kind      VARCHAR(1),
    c_contact       VARCHAR(60),
    c_country_cde   VARCHAR(30),
    c_credit_lvl    VARCHAR(110),
    c_sp_rating     VARCHAR(10),
    c_amb_rating    VARCHAR(10),
    c_solvency      VARCHAR(100),
    c_related       VARCHAR(1),
    c_reserve_fund  VARCHAR(14),
    c_capital       VARCHAR(14),
    c_lapsed        VARCHAR(1)
);

-- 20314: the reinsurers behind each broker (_RIAgentStruct), each entry with its
-- own copy of the reinsurer's data. c_kind 'A' domestic, 'B' foreign.
CREATE TABLE IF NOT EXISTS t_ri_agent (
    c_broker_cde    VARCHAR(4)   NOT NULL,
    c_ri_cde        VARCHAR(4)   NOT NULL,
    c_nme_cn        VARCHAR(60)  NOT NULL,
    c_nme_en        VARCHAR(60),
    c_abbr          VARCHAR(10),
    c_addr          VARCHAR(500),
    c_tel           VARCHAR(30),
    c_fax           VARCHAR(20),
    c_kind          VARCHAR(1),
    c_contact       VARCHAR(60),
    c_country_cde   VARCHAR(30),
    c_credit_lvl    VARCHAR(30),
    PRIMARY KEY (c_broker_cde, c_ri_cde)
);

-- 20318 and 29001: treaty codes (_ContCodeStruct) with their names and type letter.
CREATE TABLE IF NOT EXISTS t_cont_code (
    c_cont_code     VARCHAR(2)   NOT NULL PRIMARY KEY,
    c_name_cn       VARCHAR(60)  NOT NULL,
    c_name_en       VARCHAR(60),
    c_type          VARCHAR(1)
);

-- 29002: insuring companies (承保公司).
CREATE TABLE IF NOT EXISTS t_insr_company (
    c_com_cde       VARCHAR(11)  NOT NULL PRIMARY KEY,
    c_nme_cn        VARCHAR(60)  NOT NULL
);

-- 29003: the sections of a treaty data record (_SectionStruct).
CREATE TABLE IF NOT EXISTS t_cont_section (
    n_sect_id       INTEGER      NOT NULL PRIMARY KEY,
    n_cont_id       INTEGER      NOT NULL,
    c_cont_code     VARCHAR(2)   NOT NULL,
    c_sect_cde      VARCHAR(2)   NOT NULL,
    c_sect_nme      VARCHAR(113),
    n_comm_rate     NUMERIC,
    UNIQUE (n_cont_id, c_sect_cde)
);

-- 29004: the reinsurers taking part in a treaty data record (_ContReinsStruct).
CREATE TABLE IF NOT EXISTS t_cont_reins (
    n_cont_id       INTEGER      NOT NULL,
    c_ri_cde        VARCHAR(4)   NOT NULL,
    n_share         NUMERIC,
    n_limit         NUMERIC,
    PRIMARY KEY (n_cont_id, c_ri_cde)
);
