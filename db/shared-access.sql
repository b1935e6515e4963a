-- What the workstations' database user reaches besides the tables granted to the module's role.
-- Each object is created when the database lacks it (new databases, and those made by earlier
-- versions at their first start or by "korvanis-admin indexes"); a grant follows its object.
-- A PSQL body ends at a line "end;" at the start of the line.

-- The role the module connects with; the tables are granted to it, and it to the database user.
create role KORVANIS_COMPRAS;

-- The login check: the user's row is found by its encoded name, and the access string is given
-- only for the right encoded password. The module's user may run it but not read USUARIOS.
-- SITUACAO: 0 no such user, 1 wrong password, 2 password right (ACESSO filled).
create procedure VERIFICAR_USUARIO (USUARIO varchar(64), SENHA varchar(64))
returns (SITUACAO smallint, ACESSO varchar(100))
as
declare variable GUARDADA varchar(12);
begin
    SITUACAO = 0;
    ACESSO = null;
    for select first 1 coalesce(U.SENHA, ''), U.ACESSO from USUARIOS U where U.USUARIO = :USUARIO
        into :GUARDADA, :ACESSO do
    begin
        SITUACAO = 1;
        if (GUARDADA = coalesce(:SENHA, '')) then
            SITUACAO = 2;
        else
            ACESSO = null;
    end
    suspend;
end;
grant select on USUARIOS to procedure VERIFICAR_USUARIO;

-- Payables the finance module has taken over (any status other than "Atualizado (pagar)") are
-- neither changed nor deleted through the purchase module's role; the finance module's own users
-- do not connect with it.
create exception CONTA_ASSUMIDA 'Esta conta já foi assumida pelo setor financeiro (não está mais "Atualizado (pagar)") e não pode ser alterada nem excluída pelo módulo de compras.';
create trigger CTAPAGAR_ASSUMIDA for CTAPAGAR active before update or delete position 0
as
begin
    if (current_role = 'KORVANIS_COMPRAS' and coalesce(old.SITUACAO, '') <> 'Atualizado (pagar)') then
        exception CONTA_ASSUMIDA;
end;
grant usage on exception CONTA_ASSUMIDA to trigger CTAPAGAR_ASSUMIDA;

-- The suppliers' own product codes. PRODFORN: the product the clerk identified for an issuer's
-- code (`cProd` of its NF-e), with the factor from the supplier's unit to the unit the items are
-- kept in. ITEMNFE: where each item row written by an NF-e import came from, so that identifying
-- its product remembers the pair; a deleted item takes its origin with it.
create table PRODFORN (
    CNPJ varchar(14) not null,
    CPROD varchar(60) not null,
    CODIGO varchar(20) not null,
    UCOM varchar(6),
    UNIDADE varchar(6),
    FATOR decimal(15,5) not null,
    ATUALIZADO timestamp,
    constraint PK_PRODFORN primary key (CNPJ, CPROD)
);
grant select, insert, update, delete on PRODFORN to role KORVANIS_COMPRAS;
create table ITEMNFE (
    ESTACAO varchar(2) not null,
    CODCOMPRA integer not null,
    CNPJ varchar(14) not null,
    CPROD varchar(60) not null,
    UCOM varchar(6),
    QUANTIDADE decimal(15,5),
    constraint PK_ITEMNFE primary key (ESTACAO, CODCOMPRA)
);
grant select, insert, update, delete on ITEMNFE to role KORVANIS_COMPRAS;
create trigger COMPRAS_ITEMNFE for COMPRAS active after delete position 0
as
begin
    delete from ITEMNFE where ESTACAO = old.ESTACAO and CODCOMPRA = old.CODCOMPRA;
end;
grant delete on ITEMNFE to trigger COMPRAS_ITEMNFE;
