font_delete(big);
font_delete(small);
