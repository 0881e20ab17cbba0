# Writes LENGTH bytes of a raw image to OUT: cmake -DOUT=... -DLENGTH=... -P raw.cmake
string(REPEAT "firmware " ${LENGTH} text)
string(SUBSTRING "${text}" 0 ${LENGTH} text)
file(WRITE ${OUT} "${text}")
