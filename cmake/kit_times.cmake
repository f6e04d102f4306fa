# Read by CPack before it packs the kit (CPACK_PROJECT_CONFIG_FILE). Its
# archive writer gives every entry the time SOURCE_DATE_EPOCH names, and the
# zip's time fields are local time, so both are fixed here.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SOURCE_DATE_EPOCH})
set(ENV{TZ} UTC)
