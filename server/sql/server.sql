-- The application server's own tables, beside the shared tables of
-- host/qxcommon/sql/codelists.sql (currencies, countries, company properties,
-- products, product classes, risk tables, reinsurers, broker entries, treaty codes,
-- insuring companies, sections, participation), which the server fills too.
--
-- Portable between SQLite and PostgreSQL; re-running the file changes nothing.
-- Texts are UTF-8 (GBK only on the wire); widths are characters and never exceed
-- the GBK byte width of the record field. Identifiers are assigned by the server.

-- The next identifier per kind (treaty data, section, detail item), and the next
-- write number ('change', the versions of records).
CREATE TABLE IF NOT EXISTS t_id_counter (
    c_name              VARCHAR(30)  NOT NULL PRIMARY KEY,
    n_next              INTEGER      NOT NULL
);

-- Treaty data: one treaty for one period (_ContInfoStruct). n_data_rev counts the
-- changes of the data the details are generated from; n_detail_rev is the value it
-- had when the details were last generated (NULL: never).
--
-- n_version, here and in the other tables of records a screen reads and then saves:
-- the number of the write that last stored the record (server/Versions.h).
CREATE TABLE IF NOT EXISTS t_cont_info (
    n_cont_id           INTEGER      NOT NULL PRIMARY KEY,
    c_cont_code         VARCHAR(2)   NOT NULL,
    c_start_date        VARCHAR(8)   NOT NULL,
    c_end_date          VARCHAR(8),
    c_limit_cur         VARCHAR(2),
    c_cancel_date       VARCHAR(8),
    c_lead_ri_cde       VARCHAR(4),
    c_cont_no           VARCHAR(10),
    n_lines             INTEGER,
    n_vip_lines         INTEGER,
    n_acct_period       INTEGER,
    n_loss_carry        INTEGER,
    n_unexp_rsv_ratio   DOUBLE PRECISION,
    n_unearned_ratio    DOUBLE PRECISION,
    n_quota_ratio       DOUBLE PRECISION,
    n_lead_share        DOUBLE PRECISION,
    n_comm_rate         DOUBLE PRECISION,
    n_tax_rate          DOUBLE PRECISION,
    n_prem_rsv_ratio    DOUBLE PRECISION,
    n_loss_rsv_ratio    DOUBLE PRECISION,
    n_cash_loss_limit   DOUBLE PRECISION,
    n_profit_comm_rate  DOUBLE PRECISION,
    n_mgmt_fee_rate     DOUBLE PRECISION,
    n_quake_comm_rate   DOUBLE PRECISION,
    n_quake_prem_ratio  DOUBLE PRECISION,
    n_act_comm_rate     DOUBLE PRECISION,
    n_coins_limit_coef  DOUBLE PRECISION,
    n_plant_rate        DOUBLE PRECISION,
    n_net_prem_tax_rate DOUBLE PRECISION,
    c_comm_incl_tax     VARCHAR(1),
    c_net_prem_flag     VARCHAR(1),
    c_create_user       VARCHAR(30),
    c_update_user       VARCHAR(30),
    n_data_rev          INTEGER      NOT NULL,
    n_detail_rev        INTEGER,
    n_version           INTEGER      NOT NULL DEFAULT 0,
    UNIQUE (c_cont_code, c_start_date)
);
CREATE INDEX IF NOT EXISTS ix_cont_info_start ON t_cont_info (c_start_date);

-- Product shares of a treaty data record (_ContRiskStruct), in the order sent.
-- c_prod_no is a product class code when c_set_type is 'S'.
CREATE TABLE IF NOT EXISTS t_cont_risk (
    n_cont_id           INTEGER      NOT NULL,
    n_seq               INTEGER      NOT NULL,
    c_prod_no           VARCHAR(4)   NOT NULL,
    c_risk_lvl          VARCHAR(6)   NOT NULL,
    c_set_type          VARCHAR(1),
    c_copy_flag         VARCHAR(1),
    n_coins_coef        DOUBLE PRECISION,
    n_quota_ratio       DOUBLE PRECISION,
    n_retention         DOUBLE PRECISION,
    n_cont_limit        DOUBLE PRECISION,
    n_lines             INTEGER,
    n_vip_lines         INTEGER,
    c_vip_limit         VARCHAR(19),
    PRIMARY KEY (n_cont_id, n_seq)
);

-- Reinsurers placed through a broker participant (_ContExtraStruct). Shares are
-- texts as the client sends them; each is a fraction of the whole treaty.
CREATE TABLE IF NOT EXISTS t_cont_extra (
    n_cont_id           INTEGER      NOT NULL,
    c_broker_cde        VARCHAR(4)   NOT NULL,
    c_sub_ri_cde        VARCHAR(4)   NOT NULL,
    c_sub_share         VARCHAR(19),
    c_broker_share      VARCHAR(19),
    PRIMARY KEY (n_cont_id, c_broker_cde, c_sub_ri_cde)
);

-- Bank accounts of a reinsurer (_RIAccountStruct), in the order sent.
CREATE TABLE IF NOT EXISTS t_ri_account (
    c_ri_cde            VARCHAR(4)   NOT NULL,
    n_seq               INTEGER      NOT NULL,
    c_cur_cde           VARCHAR(2),
    c_bank              VARCHAR(50),
    c_account_no        VARCHAR(60),
    c_payee             VARCHAR(60),
    c_busi_type         VARCHAR(1),
    c_bank_addr         VARCHAR(199),
    PRIMARY KEY (c_ri_cde, n_seq)
);

-- Products of a section (_SectDetailStruct); sections are t_cont_section.
CREATE TABLE IF NOT EXISTS t_sect_detail (
    n_sect_id           INTEGER      NOT NULL,
    c_prod_no           VARCHAR(4)   NOT NULL,
    PRIMARY KEY (n_sect_id, c_prod_no)
);

-- Insurance classes of a treaty data record (_InsrncSectStruct) and their products
-- (_InsrClassDtlStruct).
CREATE TABLE IF NOT EXISTS t_insrnc_sect (
    n_cont_id           INTEGER      NOT NULL,
    c_class_cde         VARCHAR(2)   NOT NULL,
    c_class_nme         VARCHAR(112),
    n_version           INTEGER      NOT NULL DEFAULT 0,
    PRIMARY KEY (n_cont_id, c_class_cde)
);

CREATE TABLE IF NOT EXISTS t_class_detail (
    n_cont_id           INTEGER      NOT NULL,
    c_class_cde         VARCHAR(2)   NOT NULL,
    c_prod_no           VARCHAR(4)   NOT NULL,
    PRIMARY KEY (n_cont_id, c_class_cde, c_prod_no)
);

-- Treaty details generated from the treaty data (_ContDetailStruct).
CREATE TABLE IF NOT EXISTS t_cont_detail (
    n_cont_id           INTEGER      NOT NULL,
    c_prod_no           VARCHAR(4)   NOT NULL,
    c_risk_lvl          VARCHAR(6)   NOT NULL,
    c_com_cde           VARCHAR(11)  NOT NULL,
    c_ri_cde            VARCHAR(4)   NOT NULL,
    n_quota_ratio       DOUBLE PRECISION,
    n_cont_limit        DOUBLE PRECISION,
    n_share             DOUBLE PRECISION,
    n_ri_limit          DOUBLE PRECISION,
    n_comm_rate         DOUBLE PRECISION,
    n_version           INTEGER      NOT NULL DEFAULT 0,
    PRIMARY KEY (n_cont_id, c_prod_no, c_risk_lvl, c_com_cde, c_ri_cde)
);

-- The treaty order of each month: priorities 1..n without gaps.
CREATE TABLE IF NOT EXISTS t_cont_order (
    c_year_month        VARCHAR(6)   NOT NULL,
    c_cont_code         VARCHAR(2)   NOT NULL,
    n_priority          INTEGER      NOT NULL,
    PRIMARY KEY (c_year_month, c_cont_code)
);

-- Exchange rates (_ExchRateStruct).
CREATE TABLE IF NOT EXISTS t_exch_rate (
    c_src_cur           VARCHAR(2)   NOT NULL,
    c_dst_cur           VARCHAR(2)   NOT NULL,
    c_start_date        VARCHAR(8)   NOT NULL,
    c_end_date          VARCHAR(8),
    n_rate              DOUBLE PRECISION NOT NULL,
    PRIMARY KEY (c_src_cur, c_dst_cur, c_start_date)
);

-- Who changed what: one row per accepted command, written in the transaction of
-- its change. n_change is the write's number (the version it gave what it stored);
-- c_time is UTC, "YYYY-MM-DD HH:MM:SS"; c_record_key the table and key it changed.
CREATE TABLE IF NOT EXISTS t_audit (
    n_change            INTEGER      NOT NULL PRIMARY KEY,
    c_time              VARCHAR(19)  NOT NULL,
    c_user_cde          VARCHAR(20)  NOT NULL,
    n_trans_code        INTEGER      NOT NULL,
    n_operation         INTEGER      NOT NULL,
    c_record_key        VARCHAR(200)
);
CREATE INDEX IF NOT EXISTS ix_audit_time ON t_audit (c_time);

-- Users who may log on; c_pwd_hash is a salted crypt(3) hash (yescrypt).
CREATE TABLE IF NOT EXISTS t_user (
    c_user_cde          VARCHAR(20)  NOT NULL PRIMARY KEY,
    c_user_nme          VARCHAR(60),
    c_pwd_hash          VARCHAR(200) NOT NULL
);

-- What client sessions had read while no server holds them: written by a server
-- that stops, taken by the server the client comes back to. The row with n_record
-- NULL is the session's own (c_forgot 'Y': it had forgotten versions); n_saved is
-- when it was written, in seconds since 1970 (UTC).
CREATE TABLE IF NOT EXISTS t_session_read (
    c_token             VARCHAR(32)  NOT NULL,
    c_user_cde          VARCHAR(20)  NOT NULL,
    n_record            BIGINT,
    n_version           BIGINT,
    c_forgot            VARCHAR(1),
    n_saved             BIGINT       NOT NULL
);
CREATE INDEX IF NOT EXISTS ix_session_read ON t_session_read (c_token);

-- The prompt types (A..E) each user receives.
CREATE TABLE IF NOT EXISTS t_prompt_set (
    c_user_cde          VARCHAR(20)  NOT NULL,
    c_prompt_type       VARCHAR(1)   NOT NULL,
    PRIMARY KEY (c_user_cde, c_prompt_type)
);

-- Documents waiting for a user (_DetailInfoStruct); c_processed 'Y' once acted on.
CREATE TABLE IF NOT EXISTS t_detail_info (
    n_item_id           INTEGER      NOT NULL PRIMARY KEY,
    c_user_cde          VARCHAR(20)  NOT NULL,
    c_doc_no            VARCHAR(30)  NOT NULL,
    c_doc_type          VARCHAR(1),
    c_prompt_type       VARCHAR(1)   NOT NULL,
    c_description       VARCHAR(199),
    c_processed         VARCHAR(1)   NOT NULL
);
CREATE INDEX IF NOT EXISTS ix_detail_info_user ON t_detail_info (c_user_cde);

-- The look-ups a delete makes to find a code still in use, each by its own index
-- (the tables' keys lead with other columns): a reinsurer in participation, as a
-- lead, under a broker, in detail lines; a treaty code in a treaty order.
CREATE INDEX IF NOT EXISTS ix_cont_reins_ri ON t_cont_reins (c_ri_cde);
CREATE INDEX IF NOT EXISTS ix_cont_info_lead_ri ON t_cont_info (c_lead_ri_cde);
CREATE INDEX IF NOT EXISTS ix_cont_extra_broker ON t_cont_extra (c_broker_cde);
CREATE INDEX IF NOT EXISTS ix_cont_extra_sub_ri ON t_cont_extra (c_sub_ri_cde);
CREATE INDEX IF NOT EXISTS ix_cont_detail_ri ON t_cont_detail (c_ri_cde);
CREATE INDEX IF NOT EXISTS ix_cont_order_code ON t_cont_order (c_cont_code);
