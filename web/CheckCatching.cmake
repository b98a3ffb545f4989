# Fails when a function that the build allows to catch exceptions is not defined in the
# given objects: its symbol has changed, and its catching would be gone without a word.
# Usage: cmake -DNM=emnm -DSYMBOLS=symbol;... -DFILES=object;... -P CheckCatching.cmake
execute_process(COMMAND ${NM} ${FILES} OUTPUT_VARIABLE defined ERROR_QUIET)
foreach(symbol IN LISTS SYMBOLS)
    string(FIND "${defined}" " T ${symbol}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "no function defines ${symbol}, which the build allows to catch")
    endif()
endforeach()
