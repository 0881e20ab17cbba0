# Writes a 100,000-byte sample image to ${OUT}: a readable line repeated.
string(REPEAT "Corvane sample BIOS image, not for flashing.\n" 2300 text)
string(SUBSTRING "${text}" 0 100000 text)
file(WRITE "${OUT}" "${text}")
