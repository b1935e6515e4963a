-- The role the module connects with (see shared-access.sql); PERIODO is granted to it.
create role KORVANIS_COMPRAS;
